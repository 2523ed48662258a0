"""Helpers of the end-to-end scenarios: one Quillmate per temporary folder, the X clipboard
through xclip, the test driver under Wine. Standard library only."""

import ctypes
import os
import shutil
import signal
import struct
import subprocess
import tempfile
import time

CP932 = "cp932"


class Config:
    exe = ""
    driver = ""
    wine = "/usr/lib/wine/wine64"
    version = ""  # the build's project version
    locale = ""  # Quillmate's own LC_ALL (its system code page) when not the test's


def bmp_bytes(width=4, height=3, color=(0, 0, 255)):
    """A 24-bit bottom-up BMP file of one colour."""
    row = bytes(color[::-1]) * width
    row += b"\0" * ((4 - len(row) % 4) % 4)
    pixels = row * height
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    size = 14 + len(header) + len(pixels)
    return b"BM" + struct.pack("<IHHI", size, 0, 0, 54) + header + pixels


def copy_text(text):
    """Owns the X clipboard with a UTF-8 text, as a user's copy in another program would."""
    data = text.encode("utf-8") if isinstance(text, str) else text
    subprocess.run(["xclip", "-selection", "clipboard", "-i"], input=data,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=10)


def copy_image(path):
    subprocess.run(["xclip", "-selection", "clipboard", "-t", "image/bmp", "-i", path],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True, timeout=10)


def clipboard_text(attempts=4):
    """The X clipboard's text as UTF-8 bytes, or None when it holds none.

    A request that meets a change of owner can go unanswered for good (the old owner drops
    it), so a read that hangs is dropped and asked again rather than taken for an answer."""
    for attempt in range(attempts):
        try:
            result = subprocess.run(["xclip", "-o", "-selection", "clipboard"],
                                    capture_output=True, timeout=3)
        except subprocess.TimeoutExpired:
            if attempt + 1 == attempts:
                raise
            print("clipboard read went unanswered; asking again", flush=True)
            continue
        return result.stdout if result.returncode == 0 else None


class Skip(Exception):
    """A scenario that cannot run here (a refused mount, say): reported, counted neither way."""


def wait_until(predicate, timeout=10.0, step=0.05):
    end = time.time() + timeout
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(step)
    return predicate()


class FolderWatch:
    """Names of the files completed in a folder (closed after writing, or renamed into it), in
    the order the kernel saw them: an order that equal modification times cannot fake."""

    IN_CLOSE_WRITE, IN_MOVED_TO, IN_NONBLOCK = 0x8, 0x80, 0o4000

    def __init__(self, folder):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(self.IN_NONBLOCK)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        mask = self.IN_CLOSE_WRITE | self.IN_MOVED_TO
        if self.libc.inotify_add_watch(self.fd, folder.encode(), mask) < 0:
            raise OSError(ctypes.get_errno(), "inotify_add_watch")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        os.close(self.fd)

    def names(self):
        data = b""
        while True:
            try:
                chunk = os.read(self.fd, 65536)
            except BlockingIOError:
                break
            if not chunk:
                break
            data += chunk
        names, at = [], 0
        while at + 16 <= len(data):
            _wd, _mask, _cookie, length = struct.unpack_from("iIII", data, at)
            names.append(data[at + 16:at + 16 + length].rstrip(b"\0").decode())
            at += 16 + length
        return names


def windows_path(path):
    """The Wine path of a Linux path (drive Z: maps the root)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


class Quillmate:
    """One Quillmate.exe in a fresh temporary folder of its own."""

    def __init__(self, name):
        self.root = tempfile.mkdtemp(prefix="qm-e2e-%s-" % name)
        self.folder = self.root
        self.exe = os.path.join(self.folder, "Quillmate.exe")
        shutil.copy(Config.exe, self.exe)
        self.proc = None
        self.env = None  # the environment of its Wine processes; None: this script's
        self.log = open(os.path.join(self.folder, "wine.log"), "wb")
        self.undo = []  # run by stop() once the process has ended, last first

    def move_to(self, folder):
        """Runs the program from another folder (a mount point, say) from now on."""
        self.folder = folder
        self.exe = os.path.join(folder, "Quillmate.exe")
        shutil.copy(Config.exe, self.exe)

    def path(self, name):
        return os.path.join(self.folder, name)

    def read(self, name):
        try:
            with open(self.path(name), "rb") as f:
                return f.read()
        except OSError:
            return None

    def write(self, name, data):
        with open(self.path(name), "wb") as f:
            f.write(data)

    def start_empty(self):
        """Starts with an image on the clipboard, so the join records no leftover text."""
        bmp = self.path("start.bmp")
        self.write("start.bmp", bmp_bytes())
        copy_image(bmp)
        time.sleep(0.2)
        self.start()

    def start(self, *args):
        # Wine takes a process's code page from its locale: only Quillmate runs under
        # Config.locale, the driver and xclip stay as they are.
        env = self.env
        if Config.locale:
            env = dict(env or os.environ, LC_ALL=Config.locale)
        self.proc = subprocess.Popen([Config.wine, self.exe, *args], cwd=self.folder, env=env,
                                     stdin=subprocess.DEVNULL, stdout=self.log,
                                     stderr=subprocess.STDOUT)
        if args:
            return
        result = self.driver("wait-window", "60000")
        if result.returncode != 0:
            raise AssertionError("the window Quillmate did not appear")
        # The join reads the clipboard at once; a copy that lands in the middle of that first
        # read can be dropped by Wine's X clipboard bridge, so scenarios copy only after it.
        time.sleep(1.0)

    def wait_exit(self, timeout=60):
        try:
            return self.proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            return None

    def driver(self, *args, timeout=90):
        return subprocess.run([Config.wine, Config.driver, *args], cwd=self.folder, env=self.env,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=timeout)

    def copy_marked(self, text, *formats):
        """Copies text from a Win32 program, with marker formats ("NAME" or "NAME=DWORD")."""
        copier = os.path.join(os.path.dirname(Config.driver), "qmcopier.exe")
        return subprocess.run([Config.wine, copier, text, *formats], cwd=self.folder,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=90)

    def copy_held(self, text, hold_ms):
        """Copies text from a Win32 program that then holds the clipboard open for hold_ms."""
        return self.copy_marked("-hold=%d" % hold_ms, text)

    def dialog(self, verb, caption, *args):
        """A driver verb on the dialog captioned caption; the finished process."""
        return self.driver(verb, caption, *[str(a) for a in args])

    def dialog_output(self, verb, caption, *args):
        result = self.dialog(verb, caption, *args)
        return result.stdout.decode(CP932, "replace") if result.returncode == 0 else None

    def command(self, command_id):
        result = self.driver("post-command", str(command_id))
        if result.returncode != 0:
            state = self.proc.poll() if self.proc else "not started"
            raise AssertionError("command %d not posted: %s (Quillmate's exit code: %s)" % (
                command_id, result.stderr.decode("utf-8", "replace").strip(), state))
        return True

    def quit(self):
        """Command 40001; the process's exit code, or None when it did not end."""
        if self.proc is None or self.proc.poll() is not None:
            return self.proc.returncode if self.proc else None
        self.driver("post-command", "40001")
        return self.wait_exit(60)

    def stop(self):
        """Ends this scenario's own process, however it stands."""
        if self.proc is not None and self.proc.poll() is None:
            self.quit()
        if self.proc is not None and self.proc.poll() is None:
            self.proc.send_signal(signal.SIGKILL)
            self.proc.wait(timeout=10)
        while self.undo:
            self.undo.pop()()
        self.log.close()

    def cleanup(self):
        shutil.rmtree(self.root, ignore_errors=True)

    def wait_file(self, name, expected, timeout=10.0):
        """Waits until the file holds exactly expected (bytes); returns its last content."""
        wait_until(lambda: self.read(name) == expected, timeout)
        return self.read(name)
