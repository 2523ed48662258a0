"""Takes the README's pictures from the real Quillmate.exe: starts it with a prepared history and
registered texts, opens each menu and dialog as a user would, and writes each one cropped to its
windows; with --dpi other than 96 a few of them again, named for that DPI. Run by
scripts/screenshots.sh, which provides the Xvfb and the Wine prefix of each DPI."""

import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
import qm  # noqa: E402
import shared  # noqa: E402
from qm import CP932, Quillmate, copy_text, wait_until  # noqa: E402

# The registered texts in menu order (the file holds them the other way round): Japanese and
# English, several lines each.
REGISTERED = [
    "いつもお世話になっております。\n株式会社サンプルの山田です。\nよろしくお願いいたします。",
    "Best regards,\nTaro Yamada\nSample Corporation",
    "〒100-0001 東京都千代田区千代田1-1",
]
# The history, oldest first; the last two are long enough to be shortened in their labels.
HISTORY = [
    "git log --oneline --graph --all",
    "https://example.com/quillmate/docs/support.md",
    "打ち合わせは来週火曜日の午後二時からです。",
    "Meeting notes\n- agenda\n- decisions\n- next steps",
    "The quick brown fox jumps over the lazy dog while Quillmate keeps every text you copy today.",
    "本日の会議資料は共有フォルダの「企画会議」に置きました。ご確認のうえ、ご意見があれば金曜日までにお知らせください。",
]
# Opened by the edit pad, which starts with the clipboard's text.
PAD_TEXT = "議事録\n・日時：6月3日（月）14:00～15:00\n・場所：第二会議室\n・出席：山田、佐藤、Smith"
# The settings the dialogs show: fixed, so that an unchanged dialog gives an unchanged picture
# (all but the date preview, which shows the time of the run). Hotkeys are (modifiers << 8) | key
# with MOD_ALT 1 and MOD_CONTROL 2: Ctrl+Alt+V, Ctrl+Alt+M and Ctrl+Alt+D. The two resizable
# dialogs open at a size that shows their texts whole ({width} x {height} pixels at 96 DPI), the
# search window taller.
SETTINGS = """[Quillmate]
ログフォルダ=C:\\Users\\Public\\Documents\\クリップボードログ
[日時の書式]
書式数=1
0=%04Y年%02m月%02d日（%x） %02H:%02M
[ホットキー]
履歴を表示=854
メニューを表示=845
日時の取得=836
[登録テキストの編集]
幅={width}
高さ={height}
[EDIT_PAD]
幅={width}
高さ={height}
[履歴の検索]
幅={width}
高さ={search_height}
"""

# Where the icon is clicked: menus open upwards from this point, tips appear below it.
CLICK_POINT = (360, 700)
SCREEN_CENTRE = (640, 512)


def records(texts):
    """The .hst/.use bytes of texts in file order: CP932, LF as CR LF, NUL after each."""
    return b"".join(t.encode(CP932).replace(b"\n", b"\r\n") + b"\0" for t in texts)


def xdotool(*args):
    subprocess.run(["xdotool", *args], check=True, timeout=10)


def settings_text(dpi):
    """The settings file, the dialogs' sizes scaled to the prefix's DPI."""
    return SETTINGS.format(width=480 * dpi // 96, height=260 * dpi // 96,
                           search_height=360 * dpi // 96)


class Shooter:
    def __init__(self, q, out, suffix=""):
        self.q, self.out, self.suffix = q, out, suffix
        self.taken, self.skipped = [], []

    def windows(self):
        """(class, (left, top, right, bottom), caption) of Quillmate's visible windows."""
        text = self.q.driver("windows").stdout.decode(CP932, "replace")
        found = []
        for line in text.splitlines():
            parts = line.split("\t")
            if len(parts) == 3:
                found.append((parts[0], tuple(int(n) for n in parts[1].split()), parts[2]))
        return found

    def wait_windows(self, predicate, timeout=8.0):
        """Quillmate's visible windows once predicate accepts them, else None."""
        def accepted():
            found = self.windows()
            return found if predicate(found) else None
        return wait_until(accepted, timeout, 0.2)

    def of_class(self, windows, name):
        return [w for w in windows if w[0] == name]

    def expect(self, predicate, what):
        """Waits until Quillmate's windows satisfy predicate, then lets them be painted."""
        found = self.wait_windows(predicate)
        if not found:
            raise AssertionError("%s did not show" % what)
        self.settle()
        return found

    def open_menu(self, button):
        """Clicks the icon with button at CLICK_POINT; the rectangle of the menu it opens."""
        xdotool("mousemove", *map(str, CLICK_POINT))
        self.q.driver("icon-click", button)
        found = self.expect(lambda ws: self.of_class(ws, "#32768"), "the %s-click menu" % button)
        return self.of_class(found, "#32768")[0][1]

    def settle(self):
        # Menus and tips appear at once but are painted a moment later.
        time.sleep(0.8)

    def save(self, name, rects):
        """Writes the screen inside rects (window rectangles) on a transparent background, as name
        with the run's suffix before its extension."""
        name = "%s%s%s" % (os.path.splitext(name)[0], self.suffix, os.path.splitext(name)[1])
        left = max(0, min(r[0] for r in rects))
        top = max(0, min(r[1] for r in rects))
        right = max(r[2] for r in rects)
        bottom = max(r[3] for r in rects)
        with tempfile.TemporaryDirectory() as folder:
            full = os.path.join(folder, "screen.png")
            subprocess.run(["import", "-window", "root", full], check=True, timeout=30)
            command = ["convert", "-size", "%dx%d" % (right - left, bottom - top), "xc:none"]
            for r in rects:
                window = "%dx%d+%d+%d" % (r[2] - r[0], r[3] - r[1], r[0], r[1])
                command += ["(", full, "-crop", window, "+repage", ")",
                            "-geometry", "+%d+%d" % (r[0] - left, r[1] - top), "-composite"]
            # No time stamps in the file: an unchanged window gives an unchanged picture.
            command += ["-strip", "-define", "png:exclude-chunks=date,time",
                        os.path.join(self.out, name)]
            subprocess.run(command, check=True, timeout=30)
        self.taken.append(name)
        print("wrote %s (%dx%d)" % (os.path.join(self.out, name), right - left, bottom - top),
              flush=True)

    def close_all(self):
        """Closes every menu (Esc) and dialog (Cancel) of Quillmate left on the screen."""
        for _ in range(4):
            open_now = self.windows()
            if not open_now:
                return
            dialogs = [w for w in open_now if w[0] == "#32770"]
            if dialogs:
                # Esc may go to a multi-line edit; Cancel closes every dialog without a question.
                self.q.driver("dialog-command", dialogs[0][2], "2")
            else:
                self.q.driver("keys", "escape")
            time.sleep(0.4)
        if self.windows():
            raise AssertionError("windows still open: %r" % self.windows())

    def open_dialog(self, name, command, caption):
        """Posts command and returns the dialog's window, or None (reported) when this build
        opens no dialog of that caption."""
        xdotool("mousemove", *map(str, SCREEN_CENTRE))
        self.q.command(command)
        found = self.wait_windows(lambda ws: any(w[0] == "#32770" and w[2] == caption
                                                  for w in ws))
        if not found:
            print("skipped %s: command %d opens no dialog \"%s\" in this build"
                  % (name, command, caption), flush=True)
            self.skipped.append(name)
            self.close_all()
            return None
        # Away from the dialog, so that nothing in it is drawn hovered.
        xdotool("mousemove", "1", "1")
        self.settle()
        return [w for w in found if w[0] == "#32770" and w[2] == caption][0]


def text_menu(s):
    s.open_menu("left")
    # The first item is the multi-line registered text: its tip shows all of its lines.
    s.q.driver("keys", "down")
    s.expect(lambda ws: s.of_class(ws, "tooltips_class32"), "the menu tip")
    s.save("text-menu.png", [w[1] for w in s.windows()])
    s.close_all()


def transform_popup(s):
    menu = s.open_menu("left")
    # The first text item under the mouse, then the message Windows sends when the right button
    # is released there: Wine chooses the item instead and never sends it.
    xdotool("mousemove", str(menu[0] + 60), str(menu[1] + 12))
    time.sleep(0.5)
    s.q.driver("menu-rbutton-up", "0")
    s.expect(lambda ws: len(s.of_class(ws, "#32768")) == 2, "the transform popup")
    s.save("transform-popup.png", [w[1] for w in s.of_class(s.windows(), "#32768")])
    s.close_all()


def command_menu(s):
    s.open_menu("right")
    xdotool("mousemove", "1", "1")
    s.settle()
    s.save("command-menu.png", [w[1] for w in s.of_class(s.windows(), "#32768")])
    s.close_all()


def about_box(s):
    dialog = s.open_dialog("about.png", 40002, "Quillmate について")
    if dialog:
        s.save("about.png", [dialog[1]])
        s.close_all()


def settings_dialog(s):
    dialog = s.open_dialog("settings-dialog.png", 40003, "設定の変更")
    if not dialog:
        return
    if s.suffix:
        # At high DPI the picture is of the labels: no tip over them.
        s.save("settings-dialog.png", [dialog[1]])
        s.close_all()
        return
    # The mouse resting on the date format field shows what the date command would give now.
    field = s.q.driver("item-rect", "1035").stdout.split()
    if len(field) != 4:
        raise AssertionError("the settings dialog has no date format field")
    left, top, right, bottom = map(int, field)
    xdotool("mousemove", str((left + right) // 2), str((top + bottom) // 2))
    s.expect(lambda ws: s.of_class(ws, "tooltips_class32"), "the date format preview")
    tips = [w[1] for w in s.of_class(s.windows(), "tooltips_class32")]
    s.save("settings-dialog.png", [dialog[1]] + tips)
    xdotool("mousemove", "1", "1")
    s.close_all()


def plain_dialog(name, command, caption):
    def shoot(s):
        dialog = s.open_dialog(name, command, caption)
        if dialog:
            s.save(name, [dialog[1]])
            s.close_all()
    shoot.__name__ = os.path.splitext(name)[0].replace("-", "_")
    return shoot


hotkey_dialog = plain_dialog("hotkey-dialog.png", 40004, "ホットキーの設定")
registered_text_dialog = plain_dialog("registered-text-dialog.png", 40049, "登録テキストの編集")
open_edit_pad = plain_dialog("edit-pad.png", 40031, "テキストの編集")


def edit_pad(s):
    # The pad starts with the clipboard's text.
    copy_text(PAD_TEXT)
    last_line = PAD_TEXT.splitlines()[-1].encode(CP932)
    if not wait_until(lambda: last_line in (s.q.read("quillmate.hst") or b""), 10):
        raise AssertionError("the pad's text was not recorded")
    open_edit_pad(s)


SEARCH = "履歴の検索"


def search_window(s):
    # A word typed: the registered text that holds it first, marked, then the history.
    if not s.open_dialog("search-window.png", 40060, SEARCH):
        return
    s.q.dialog("set-text", SEARCH, 1100, "の")
    found = s.expect(lambda ws: any(w[2] == SEARCH for w in ws), "the search window")
    s.save("search-window.png", [w[1] for w in found if w[2] == SEARCH])
    s.close_all()


SHARED = "共有フォルダの設定"


def shared_folder_dialog(s):
    # Taken last: from here on the registered texts are shared. Two other machines' files, of
    # fixed times, so that only this machine's own row changes from run to run.
    folder = os.path.join(s.q.root, "shared")
    os.makedirs(os.path.join(folder, "Quillmate"), exist_ok=True)
    for machine, name, written in ((0x5A17, b"HOME-PC", 1796725800),
                                   (0x77C3, b"LAPTOP", 1796806500)):
        with open(os.path.join(folder, "Quillmate", "%016x.qms" % machine), "wb") as f:
            f.write(shared.shared_file(machine, name, [], written))
    if not s.open_dialog("shared-folder-dialog.png", 40061, SHARED):
        return
    s.q.dialog("set-text", SHARED, 1110, qm.windows_path(folder))
    s.q.dialog("dialog-command", SHARED, 1)
    s.q.driver("wait-dialog-gone", SHARED, "10000")
    time.sleep(1.5)  # the first exchange writes this machine's file; the next one reads it
    dialog = s.open_dialog("shared-folder-dialog.png", 40061, SHARED)
    if dialog:
        s.save("shared-folder-dialog.png", [dialog[1]])
        s.close_all()


SHOTS = [text_menu, transform_popup, command_menu, about_box, settings_dialog, hotkey_dialog,
         registered_text_dialog, edit_pad, search_window, shared_folder_dialog]
# At 150 % the pictures that show the most labels and texts.
SHOTS_HIGH_DPI = [text_menu, settings_dialog, registered_text_dialog]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--exe", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--wine", default=qm.Config.wine)
    parser.add_argument("--out", required=True)
    parser.add_argument("--dpi", type=int, default=96,
                        help="the prefix's LogPixels; other than 96 takes the high-DPI set, "
                             "named with -<dpi>dpi")
    parser.add_argument("names", nargs="*", help="only these shots (function names)")
    args = parser.parse_args()
    # Quillmate and the driver run in a folder of their own: paths must not be relative.
    qm.Config.exe, qm.Config.driver = os.path.abspath(args.exe), os.path.abspath(args.driver)
    qm.Config.wine = args.wine
    os.makedirs(args.out, exist_ok=True)

    q = Quillmate("shots")
    q.write("quillmate.use", records(reversed(REGISTERED)))
    q.write("quillmate.hst", records(HISTORY))
    q.write("quillmate.ini", settings_text(args.dpi).replace("\n", "\r\n").encode(CP932))
    high = args.dpi != 96
    s = Shooter(q, args.out, "-%ddpi" % args.dpi if high else "")
    failed = []
    try:
        q.start_empty()
        for shot in SHOTS_HIGH_DPI if high else SHOTS:
            if args.names and shot.__name__ not in args.names:
                continue
            try:
                shot(s)
            except Exception as error:  # one broken picture must not cost the others
                print("FAILED %s: %s" % (shot.__name__, error), flush=True)
                failed.append(shot.__name__)
                s.close_all()  # a window that will not close ends the run here
    finally:
        q.stop()
        q.cleanup()
    print("screenshots: %d written, %d skipped (%s), %d failed%s"
          % (len(s.taken), len(s.skipped), ", ".join(s.skipped) or "none", len(failed),
             " (%s)" % ", ".join(failed) if failed else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
