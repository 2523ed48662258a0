"""Fault injection on the real Quillmate.exe: a clipboard another program holds open, a full
disk under the history file, a settings file of malformed values, a 50 MB text, and a kill in
the middle of a burst of copies."""

import os
import queue
import re
import signal
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qm  # noqa: E402
import scenarios  # noqa: E402
from qm import CP932, copy_text, wait_until  # noqa: E402
from scenarios import check, check_equal, records  # noqa: E402

FAULTS = []


def fault(func):
    FAULTS.append(func)
    return func


def parse_records(data):
    """The texts of a .hst/.use file, oldest first; None when the file is cut (no final NUL)."""
    if data is None or (data and not data.endswith(b"\0")):
        return None
    return [r.replace(b"\r\n", b"\n") for r in data[:-1].split(b"\0")] if data else []


def hst_tail(q, size):
    """The last size bytes of the .hst (b"" when there is none); the file may be huge."""
    try:
        with open(q.path("quillmate.hst"), "rb") as f:
            f.seek(0, os.SEEK_END)
            f.seek(max(0, f.tell() - size))
            return f.read()
    except OSError:
        return b""


def hst_ends_with(q, text):
    """Whether the newest record of the .hst is text."""
    record = text.encode(CP932) + b"\0"
    data = hst_tail(q, len(record) + 1)
    return data.endswith(b"\0" + record) or data == record


def start_settled(q, text):
    """Starts with text on the clipboard long before, so the start records it; then waits for
    that. A copy made while the program is still starting up can be missed by the X bridge
    (seen about once in 25 starts on a loaded machine), and these scenarios are not about
    that."""
    copy_text(text)
    time.sleep(0.2)
    q.start()
    check(wait_until(lambda: hst_ends_with(q, text), 10), "the start records %r" % text)


def stop_process(proc):
    if proc.poll() is None:
        proc.send_signal(signal.SIGKILL)
        proc.wait(timeout=10)


# --- a clipboard held open -----------------------------------------------------------------------

def line_reader(stream):
    lines = queue.Queue()

    def pump():
        for line in iter(stream.readline, b""):
            lines.put(line.decode("ascii", "replace").strip())
        lines.put(None)

    threading.Thread(target=pump, daemon=True).start()
    return lines


@fault
def clipboard_held_open_by_another_program(q):
    """A viewer ahead of Quillmate opens the clipboard before passing each change on and keeps
    it open 150 ms: Quillmate's first read always fails and only its retries can get the text.
    They reach 200 ms after that read; a hold the machine stretched beyond 190 ms is outside
    what the retries promise, so that copy is made again rather than counted."""
    q.start_empty()
    texts = ["held %d" % i for i in range(5)]
    holder = subprocess.Popen([qm.Config.wine, qm.Config.driver, "hold-clipboard", "150", "100"],
                              cwd=q.folder, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.DEVNULL)

    def end_holder():
        # Closed, it leaves the chain in order; killed, it would leave a dead viewer behind.
        q.driver("close-window", "QuillmateTestHolder")
        try:
            holder.wait(timeout=30)
        except subprocess.TimeoutExpired:
            stop_process(holder)

    q.undo.append(end_holder)
    lines = line_reader(holder.stdout)
    # Joining sends one change at once, before or after the holder says it joined.
    first = sorted([lines.get(timeout=60), lines.get(timeout=30)])
    check(first[0].startswith("hold ") and first[1] == "joined",
          "the holder joined and held the join's change (%r)" % first)
    for text in texts:
        for _ in range(3):
            copy_text(text)
            hold = lines.get(timeout=30)
            match = re.match(r"hold (\d+) ms", hold or "")
            check(match, "the holder opened the clipboard (%r)" % hold)
            ms = int(match.group(1))
            check(ms >= 150, "the clipboard was held 150 ms (%d)" % ms)
            if wait_until(lambda: hst_ends_with(q, text), 10):
                break
            check(ms > 190, "%r lost after a hold of %d ms, within the retries" % (text, ms))
            print("hold of %d ms is beyond the retries on this loaded machine: copying again" % ms)
        else:
            raise AssertionError("%r never recorded: every hold ran long" % text)
    check_equal(q.quit(), 0, "exit code")
    check_equal(q.read("quillmate.hst"), records(*texts), ".hst after the held copies")


# --- a full disk ---------------------------------------------------------------------------------

def mount_tmpfs(q, size_bytes):
    folder = os.path.join(q.root, "tmpfs")
    os.mkdir(folder)
    result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%d" % size_bytes, "tmpfs",
                             folder], capture_output=True, timeout=30)
    if result.returncode != 0:
        reason = (result.stderr or b"").decode("utf-8", "replace").strip()
        raise qm.Skip("mounting a tmpfs was refused (%s); run as root to test a full disk"
                      % (reason or "exit %d" % result.returncode))
    q.undo.append(lambda: subprocess.run(["umount", folder], capture_output=True, timeout=30))
    q.move_to(folder)


def fill(path):
    """Writes path until the filesystem is full: big blocks, then ever smaller ones."""
    with open(path, "wb", buffering=0) as f:
        block = 1 << 20
        while block:
            try:
                f.write(b"\xAA" * block)
            except OSError:
                block //= 2


@fault
def full_disk_keeps_the_last_history(q):
    mount_tmpfs(q, 3 * os.path.getsize(qm.Config.exe))
    before = ["before %d" % i for i in range(3)]
    during = ["while full %d" % i for i in range(3)]
    start_settled(q, before[0])
    for text in before[1:]:
        copy_text(text)
        wait_until(lambda: hst_ends_with(q, text), 10)
    saved = q.wait_file("quillmate.hst", records(*before))
    check_equal(saved, records(*before), ".hst before the disk is full")
    known = set(os.listdir(q.folder)) | {"filler"}

    fill(q.path("filler"))
    for text in during:
        copy_text(text)
        time.sleep(0.5)
    time.sleep(1.0)
    check(q.proc.poll() is None, "still running on a full disk")
    check_equal(q.read("quillmate.hst"), saved, "the last complete .hst while the disk is full")
    check_equal(sorted(set(os.listdir(q.folder)) - known), [], "files left by failed saves")

    os.remove(q.path("filler"))
    copy_text("space again")
    expected = records(*before, *during, "space again")
    check_equal(q.wait_file("quillmate.hst", expected), expected,
                ".hst once space returns (the texts of the full time included)")
    check_equal(q.quit(), 0, "exit code")


# --- malformed settings --------------------------------------------------------------------------

MAIN_INTS = {"履歴の記憶数": (1, 4095), "監視チェインの修復間隔": (120000, 2**31 - 1),
             "クリップボード文字列のクリア間隔": (60000, 2**31 - 1),
             "テキスト一覧の文字数": (3, 256), "メニューチップの文字数": (2, 65534)}
MAIN_BOOLS = ["履歴機能を利用する", "履歴ファイルを利用する", "アイコンをアニメーションさせる",
              "監視チェインの自動修復", "クリップボード文字列の自動クリア",
              "新しい履歴を上側に配置", "登録テキストを上側に配置", "メニューチップを表示する",
              "テキストをログへ書き出す", "イメージをログへ書き出す"]
OLD_KEYS = ["履歴を保存する", "テキストをファイルへ保存", "イメージをファイルへ保存", "履歴を表示",
            "メニューを表示", "「よく使うテキストの登録」を表示", "「登録テキストの編集」を表示"]
HOTKEYS = ["履歴を表示", "メニューを表示", "「登録テキストの編集」を表示", "テキストの登録",
           "日時の取得", "IPアドレスの取得", "履歴機能のオン・オフ", "クリップボードのクリア",
           "履歴のクリア"]

MALFORMED = {
    "letters": "abc",
    "huge": "99999999999999999999999",
    "negative": "-99999999999",
    "empty": "",
    "5000 bytes": "7" * 5000,
}


def malformed_ini(value):
    lines = ["[Quillmate]"]
    lines += ["%s=%s" % (key, value) for key in list(MAIN_INTS) + MAIN_BOOLS + OLD_KEYS]
    lines += ["ログフォルダ=%s" % value, "[メニューの表示位置]", "x=%s" % value, "y=%s" % value,
              "[日時の書式]", "書式数=%s" % value, "0=%s" % value, "[ホットキー]"]
    lines += ["%s=%s" % (key, value) for key in HOTKEYS]
    return ("\r\n".join(lines) + "\r\n").encode(CP932)


def ini_sections(data):
    sections, current = {}, None
    for line in data.decode(CP932).splitlines():
        if line.startswith("[") and line.endswith("]"):
            current = sections.setdefault(line[1:-1], {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            check(key not in current, "key %s written once" % key)
            current[key] = value
    return sections


def check_clean_ini(data, what):
    sections = ini_sections(data)
    main = sections.get("Quillmate", {})
    for key, (low, high) in MAIN_INTS.items():
        value = main.get(key)
        check(value is not None and re.fullmatch(r"-?\d+", value), "%s: %s=%r" % (what, key, value))
        check(low <= int(value) <= high, "%s: %s=%s within %d..%d" % (what, key, value, low, high))
    repair = int(main["監視チェインの修復間隔"])
    check(int(main["クリップボード文字列のクリア間隔"]) <= repair - 60000,
          "%s: the clear interval a minute below the repair interval" % what)
    for key in MAIN_BOOLS[1:]:  # the history on/off switch is not kept in the file
        check(main.get(key) in ("0", "1"), "%s: %s=%r" % (what, key, main.get(key)))
    for key in OLD_KEYS:
        check(key not in main, "%s: old key %s removed" % (what, key))
    check(len(main.get("ログフォルダ", "").encode(CP932)) <= 521, "%s: log folder fits" % what)
    point = sections.get("メニューの表示位置", {})
    for key in ("x", "y"):
        check(re.fullmatch(r"\d+", point.get(key, "")) and int(point[key]) <= 32766,
              "%s: menu point %s=%r" % (what, key, point.get(key)))
    date = sections.get("日時の書式", {})
    check_equal(date.get("書式数"), "1", "%s: count of date formats" % what)
    check(len(date.get("0", "").encode(CP932)) <= 1023, "%s: the date format fits" % what)


@fault
def settings_of_malformed_values(q):
    for kind, value in MALFORMED.items():
        q.write("quillmate.ini", malformed_ini(value))
        q.write("quillmate.hst", b"")
        start_settled(q, "start with %s settings" % kind)
        copy_text("after %s settings" % kind)
        check(wait_until(lambda: hst_ends_with(q, "after %s settings" % kind), 10),
              "a copy is recorded with settings of %s (.hst %r)" % (kind, q.read("quillmate.hst")))
        check_equal(q.quit(), 0, "exit code with settings of %s" % kind)
        check_clean_ini(q.read("quillmate.ini") or b"", "settings of %s" % kind)


# --- a 50 MB text --------------------------------------------------------------------------------

@fault
def huge_text_leaves_the_program_responsive(q):
    first = b"before the big text\0"
    start_settled(q, first[:-1].decode())
    tail = "end of the big text"
    big = b"B" * (50 * 1024 * 1024 - len(tail)) + tail.encode()
    started = time.time()
    copy_text(big)
    # Recorded (the file ends with it) or refused (the program goes on without it): either way
    # a later copy must be recorded and the program must still answer.
    recorded = wait_until(lambda: hst_tail(q, 64).endswith(b"BBBB" + tail.encode() + b"\0"),
                          60, 0.2)
    print("50 MB text %s after %.1f s" % ("recorded" if recorded else "not recorded",
                                          time.time() - started))
    check(q.proc.poll() is None, "still running after the 50 MB text")
    if recorded:
        check_equal(os.path.getsize(q.path("quillmate.hst")), len(first) + len(big) + 1,
                    ".hst size")
    copied = time.time()
    copy_text("small after big")
    check(wait_until(lambda: hst_ends_with(q, "small after big"), 30, 0.02),
          "the next small copy is recorded")
    latency = time.time() - copied
    print("small copy after the 50 MB text recorded in %.2f s" % latency)
    check(latency < 1.0, "the small copy is recorded within a second (%.2f s)" % latency)
    check_equal(q.quit(), 0, "exit code")
    data = q.read("quillmate.hst")
    check(data.endswith(b"\0small after big\0"), ".hst ends with the small copy")
    if recorded:
        check_equal(len(data), len(first) + len(big) + 1 + len(b"small after big\0"),
                    ".hst of the three texts")


# --- a kill in the middle of a burst -------------------------------------------------------------

def kill_during_a_save(q, seconds):
    """Kills the program the moment a save's temporary file appears beside the .hst (or when
    the time is up); whether it caught a save."""
    end = time.time() + seconds
    while time.time() < end and q.proc.poll() is None:
        if any(n.startswith("quillmate.hs") and n != "quillmate.hst" for n in os.listdir(q.folder)):
            q.proc.send_signal(signal.SIGKILL)
            return True
    stop_process(q.proc)
    return False


@fault
def kill_during_a_burst_keeps_a_whole_history(q):
    q.write("quillmate.ini", "[Quillmate]\r\n履歴の記憶数=4095\r\n".encode(CP932))
    previous = [("kept %04d" % i).encode() for i in range(4095)]
    q.write("quillmate.hst", b"".join(t + b"\0" for t in previous))
    for round_ in range(3):
        q.start_empty()
        burst = [("round %d burst %03d" % (round_, i)).encode() for i in range(30)]
        # The killer starts after a few copies, later each round, and strikes mid-save.
        killer, caught = None, []
        for i, text in enumerate(burst):
            if i == 5 * (round_ + 1):
                killer = threading.Thread(target=lambda: caught.append(kill_during_a_save(q, 10)))
                killer.start()
            copy_text(text)
            time.sleep(0.02)
        killer.join()
        q.proc.wait(timeout=30)
        texts = parse_records(q.read("quillmate.hst"))
        check(texts is not None, "round %d: a .hst ending in a whole record" % round_)
        check_equal(len(texts), 4095, "round %d: texts in the .hst after the kill" % round_)
        mark = b"round %d " % round_
        new = len(texts) - next((i for i, t in enumerate(texts) if t.startswith(mark)), len(texts))
        check_equal(texts[:4095 - new], previous[new:], "round %d: the older texts" % round_)
        it = iter(burst)
        check(all(t in it for t in texts[4095 - new:]),
              "round %d: the new texts in the order copied" % round_)
        print("round %d: killed %s, %d copies recorded" % (
            round_, "during a save" if caught[0] else "after the burst", new))
        previous = texts
    q.start_empty()
    check_equal(q.quit(), 0, "exit code after the kills")
    check_equal(parse_records(q.read("quillmate.hst")), previous,
                ".hst after a start and quit: the whole history was loaded")


if __name__ == "__main__":
    sys.exit(scenarios.main(FAULTS, "faults"))
