"""Two Quillmates, each under a Wine prefix of its own as two machines would be, share one
folder; damaged files and the folder gone for a while cost no text."""

import os
import shutil
import struct
import sys
import tempfile
import time
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import qm  # noqa: E402
import scenarios  # noqa: E402
from qm import CP932, wait_until  # noqa: E402
from scenarios import check, check_equal  # noqa: E402

SHARED = []
PAD = "テキストの編集"


def shared(func):
    SHARED.append(func)
    return func


def shared_file(machine, computer, texts, written=None):
    """A machine's file of the shared folder as the README lays it out, texts in list order."""
    written = int(time.time()) if written is None else written
    body = b"\x1eQMS" + struct.pack("<IQQq", 1, machine, 1, written)
    body += struct.pack("<I", len(computer)) + computer + struct.pack("<I", len(texts))
    for n, text in enumerate(texts):
        data = text.encode(CP932)
        body += struct.pack("<QQQBqq", 1000 + n, 1, machine, 0, n << 20, 0)
        body += struct.pack("<I", len(data)) + data + struct.pack("<I", 0)
    return body + struct.pack("<I", zlib.crc32(body))


class Machine(qm.Quillmate):
    def __init__(self, name, prefix, folder, recent=0):
        super().__init__(name)
        self.env = dict(os.environ, WINEPREFIX=prefix)
        self.write("quillmate.ini", ("[共有]\r\nフォルダ=%s\r\n履歴の共有数=%d\r\n"
                                     % (qm.windows_path(folder), recent)).encode(CP932))

    def register(self, text):
        check(self.command(40031), "command 40031 posted")
        check_equal(self.driver("wait-dialog", PAD, "20000").returncode, 0, "the pad opened")
        check_equal(self.dialog("set-text", PAD, 1014, text).returncode, 0, "text typed")
        check_equal(self.dialog("dialog-command", PAD, 1).returncode, 0, "OK posted")

    def registered(self):
        return [t.decode(CP932) for t in (self.read("quillmate.use") or b"").split(b"\0")[:-1]]

    def wait_registered(self, texts, timeout=20.0):
        wait_until(lambda: set(texts) <= set(self.registered()), timeout, 0.2)
        return self.registered()


def machines(q, name, recent=0):
    """Two machines sharing a fresh folder, stopped and removed with q."""
    folder = tempfile.mkdtemp(prefix="qm-shared-%s-" % name)
    a = Machine(name + "-a", os.environ["WINEPREFIX"], folder, recent)
    b = Machine(name + "-b", os.environ["QM_SECOND_PREFIX"], folder, recent)
    for m in (a, b):
        q.undo.append(m.cleanup)
        q.undo.append(m.stop)
    q.undo.insert(0, lambda: [shutil.rmtree(f, True) for f in (folder, folder + ".away")])
    return a, b, os.path.join(folder, "Quillmate")


@shared
def registered_texts_reach_the_other_machine(q):
    a, b, sub = machines(q, "reach")
    a.start()
    b.start()
    a.register("from A")
    check("from A" in b.wait_registered(["from A"]), "B holds A's text")
    b.register("from B")
    check_equal(sorted(a.wait_registered(["from A", "from B"])), ["from A", "from B"],
                "A holds both")
    check_equal(b.quit(), 0, "B's exit code")
    a.register("while B was away")
    a.wait_registered(["while B was away"])
    b.start()
    got = b.wait_registered(["from A", "from B", "while B was away"])
    check_equal(sorted(got), ["from A", "from B", "while B was away"], "B after its restart")
    ids = [scenarios.ini_value(m, "共有", "マシンID") for m in (a, b)]
    check(ids[0] and ids[1] and ids[0] != ids[1], "two machine ids: %s" % ids)
    check_equal(sorted(os.listdir(sub)), sorted(i + ".qms" for i in ids),
                "one file per machine in the folder")
    for m in (a, b):
        check_equal(m.quit(), 0, "exit code")


@shared
def damaged_files_and_a_folder_gone_cost_no_text(q):
    a, b, sub = machines(q, "faults")
    a.start()
    b.start()
    a.register("one")
    b.wait_registered(["one"])
    b_file = os.path.join(sub, scenarios.ini_value(b, "共有", "マシンID") + ".qms")
    shutil.copy(b_file, b_file[:-4] + " (conflicted copy).qms")  # an older view of B's
    whole = shared_file(0x3333, b"PC-C", ["from C"])
    with open(os.path.join(sub, "3333.qms"), "wb") as f:
        f.write(whole[:len(whole) // 2])
    b.register("two")
    got = a.wait_registered(["one", "two"])
    check_equal(sorted(got), ["one", "two"], "A beside a conflicted copy and a half-written file")
    with open(os.path.join(sub, "3333.qms"), "wb") as f:
        f.write(whole)
    for m in (a, b):
        check_equal(sorted(m.wait_registered(["from C"])), ["from C", "one", "two"],
                    "the file once whole")
    folder = os.path.dirname(sub)
    os.rename(folder, folder + ".away")
    a.register("A offline")
    b.register("B offline")
    for m, own in ((a, "A offline"), (b, "B offline")):
        check_equal(sorted(m.wait_registered([own])), sorted(["from C", "one", "two", own]),
                    "the local list while the folder is gone")
    os.rename(folder + ".away", folder)
    everything = sorted(["from C", "one", "two", "A offline", "B offline"])
    for m in (a, b):
        check_equal(sorted(m.wait_registered(everything, 60)), everything, "once it is back")
    # A service that lost the folder's files: each machine writes its own again.
    for name in os.listdir(sub):
        os.remove(os.path.join(sub, name))
    own = {scenarios.ini_value(m, "共有", "マシンID") + ".qms" for m in (a, b)}
    check(wait_until(lambda: own <= set(os.listdir(sub)), 45), "both files written again")
    for m in (a, b):
        check_equal(m.quit(), 0, "exit code")
        check_equal(sorted(m.registered()), everything, "the list at the end")


@shared
def a_recent_copy_reaches_the_other_history_and_a_secret_never_leaves(q):
    # The prefixes share one X clipboard: B starts after A's copies, so only A's file tells it.
    a, b, sub = machines(q, "recent", recent=1)
    a.start_empty()
    qm.copy_text("plain")
    a.wait_file("quillmate.hst", scenarios.records("plain"))
    check_equal(a.copy_marked("secret", "ExcludeClipboardContentFromMonitorProcessing")
                .returncode, 0, "exit code of the marked copy")
    check_equal(a.copy_marked("after").returncode, 0, "exit code of the plain copy")
    own = os.path.join(sub, scenarios.ini_value(a, "共有", "マシンID") + ".qms")
    read = lambda: open(own, "rb").read() if os.path.exists(own) else b""
    check(wait_until(lambda: b"after" in read(), 20), "A's file carries its newest copy")
    check(b"plain" not in read() and b"secret" not in read(), "only the newest, never the secret")
    b.start_empty()
    expected = scenarios.records("after")
    check_equal(b.wait_file("quillmate.hst", expected, 20), expected, "B's history")
    for m in (a, b):
        check_equal(m.quit(), 0, "exit code")


if __name__ == "__main__":
    sys.exit(scenarios.main(SHARED, "shared"))
