"""Capture, memory and start-up benchmark of Quillmate under Wine, side by side with CopyQ on the
same X display, plus the file codec ratios from the native benchmark: prints one table.

Run by scripts/bench.sh, which builds the programs, starts Xvfb and the Wine prefix and sets
DISPLAY and the Wine environment. Every process started here is stopped by its own id."""

import argparse
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "e2e"))
import qm  # noqa: E402  (FolderWatch, records of the file format)

WINE = "/usr/lib/wine/wine64"
HST = "quillmate.hst"
FULL = 4095


def now_ns():
    return time.monotonic_ns()


def memory_kb(pid):
    """Resident and private (clean + dirty) kilobytes of a process."""
    fields = {}
    with open("/proc/%d/smaps_rollup" % pid) as f:
        for line in f:
            parts = line.split()
            if len(parts) >= 2 and parts[0].endswith(":") and parts[1].isdigit():
                fields[parts[0][:-1]] = int(parts[1])
    return fields.get("Rss", 0), fields.get("Private_Clean", 0) + fields.get("Private_Dirty", 0)


def percentile(values, fraction):
    if not values:
        return None
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(round(fraction * (len(ordered) - 1))))]


def stop_pid(proc, timeout=10):
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait(timeout=timeout)


def child_pids(pid):
    found = []
    try:
        for task in os.listdir("/proc/%d/task" % pid):
            with open("/proc/%d/task/%s/children" % (pid, task)) as f:
                found += [int(p) for p in f.read().split()]
    except OSError:
        pass
    return found


class Copier:
    """One burst of the X11 copier: COUNT texts, GAP ms apart."""

    def __init__(self, exe, count, gap, prefix, size=0, hold_ms=1500, suffix=""):
        self.prefix = prefix
        # A file, not a pipe: a pipe nobody reads during the burst would stall the copier.
        self.out = tempfile.TemporaryFile()
        self.proc = subprocess.Popen([exe, str(count), str(gap), prefix, str(size), str(hold_ms),
                                      suffix],
                                     stdout=self.out, stderr=subprocess.DEVNULL)

    def running(self):
        return self.proc.poll() is None

    def copy_times(self):
        self.proc.wait(timeout=600)
        self.out.seek(0)
        out = self.out.read()
        self.out.close()
        times = {}
        for line in out.decode().split("\n"):
            if line.strip():
                index, stamp = line.split()
                times[int(index)] = int(stamp)
        return times


def burst_index(text, prefix):
    """The index of a burst text, or None for any other text."""
    head = prefix.encode() + b" "
    if not text.startswith(head):
        return None
    digits = text[len(head):len(head) + 5]
    return int(digits) if digits.isdigit() else None


def fraction_in_order(indices, count):
    """Recorded distinct share, and whether they came in copy order."""
    return len(set(indices)) / count, all(a < b for a, b in zip(indices, indices[1:]))


class Quillmate:
    """Quillmate.exe (win64, stripped) in a folder of its own, remembering up to 4095 texts."""

    def __init__(self, exe):
        self.folder = tempfile.mkdtemp(prefix="qm-bench-")
        self.exe = os.path.join(self.folder, "Quillmate.exe")
        shutil.copy(exe, self.exe)
        # Stripped, as the shipped exe is: Wine reads an image's sections into private memory,
        # debug sections included.
        subprocess.run(["x86_64-w64-mingw32-strip", self.exe], stdin=subprocess.DEVNULL,
                       capture_output=True)
        with open(os.path.join(self.folder, "quillmate.ini"), "wb") as f:
            f.write("[Quillmate]\r\n履歴の記憶数=4095\r\n".encode("cp932"))
        self.proc = None
        self.watch = qm.FolderWatch(self.folder)
        self.first_seen = {}

    def start(self):
        self.proc = subprocess.Popen([WINE, self.exe], cwd=self.folder, stdin=subprocess.DEVNULL,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def history(self):
        try:
            with open(os.path.join(self.folder, HST), "rb") as f:
                data = f.read()
        except OSError:
            return []
        return data.split(b"\0")[:-1]

    def tail(self, size=256 * 1024):
        """The last texts of the history file: enough for the newest captures."""
        try:
            with open(os.path.join(self.folder, HST), "rb") as f:
                f.seek(0, os.SEEK_END)
                start = max(0, f.tell() - size)
                f.seek(start)
                data = f.read()
        except OSError:
            return []
        return data.split(b"\0")[(1 if start else 0):-1]  # a cut first record is dropped

    def poll(self, prefix, timeout):
        """Waits up to timeout for a rewrite of the history; notes when each burst text was
        first seen there."""
        ready, _, _ = select.select([self.watch.fd], [], [], timeout)
        if not ready:
            return
        stamp = now_ns()
        if HST not in self.watch.names():
            return
        for text in self.tail():
            index = burst_index(text, prefix)
            if index is not None and index not in self.first_seen:
                self.first_seen[index] = stamp

    def wait_text(self, text, timeout):
        end = time.time() + timeout
        while time.time() < end:
            if text in self.tail():
                return True
            time.sleep(0.01)
        return False

    def recorded(self, prefix):
        return [i for i in (burst_index(t, prefix) for t in self.history()) if i is not None]

    def count_prefixed(self, head):
        return sum(1 for t in self.history() if t.startswith(head))

    def driver(self, *args):
        return subprocess.run([WINE, os.environ["QM_DRIVER"], *args], cwd=self.folder,
                              stdin=subprocess.DEVNULL, capture_output=True, timeout=180)

    def quit(self):
        if self.proc and self.proc.poll() is None:
            self.driver("post-command", "40001")
            try:
                self.proc.wait(timeout=60)
            except subprocess.TimeoutExpired:
                stop_pid(self.proc)

    def stop(self):
        self.quit()
        os.close(self.watch.fd)
        shutil.rmtree(self.folder, ignore_errors=True)


class CopyQ:
    """CopyQ with a private configuration, data and runtime folder, on a session of its own."""

    SESSION = "qmbench"

    def __init__(self):
        self.home = tempfile.mkdtemp(prefix="qm-bench-copyq-")
        env = dict(os.environ)
        for name, sub in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"),
                          ("XDG_DATA_HOME", "data"), ("XDG_CACHE_HOME", "cache"),
                          ("XDG_RUNTIME_DIR", "runtime"), ("COPYQ_SETTINGS_PATH", "settings")):
            env[name] = os.path.join(self.home, sub)
            os.makedirs(env[name], mode=0o700, exist_ok=True)
        env.pop("LC_ALL", None)
        env["QT_QPA_PLATFORM"] = "xcb"
        self.env = env
        self.proc = subprocess.Popen(["copyq", "-s", self.SESSION], env=env,
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)
        self.children = []
        end = time.time() + 60
        while time.time() < end and self.call("size") is None:
            time.sleep(0.3)
        self.call("config", "maxitems", "10000")
        self.call("config", "check_selection", "false")
        self.children = child_pids(self.proc.pid)

    def call(self, *args, timeout=30):
        try:
            result = subprocess.run(["copyq", "-s", self.SESSION, *args], env=self.env,
                                    stdin=subprocess.DEVNULL, capture_output=True,
                                    timeout=timeout)
        except subprocess.TimeoutExpired:
            return None
        return result.stdout if result.returncode == 0 else None

    def recorded(self, prefix):
        script = ("var out = []; for (var i = size() - 1; i >= 0; --i) out.push(str(read(i)));"
                  "print(out.join('\\0'))")
        out = self.call("eval", "--", script) or b""
        return [i for i in (burst_index(t, prefix) for t in out.split(b"\0")) if i is not None]

    def stop(self):
        self.call("exit", timeout=10)
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            stop_pid(self.proc)
        for pid in self.children + child_pids(self.proc.pid):
            try:
                os.kill(pid, signal.SIGTERM)
            except OSError:
                pass
        shutil.rmtree(self.home, ignore_errors=True)


# Characters the code page lacks: such texts are kept with their exact form beside their bytes.
EXACT_SUFFIX = " café ✓ 😀 한국어"


def run_burst(args, gap, tag, quillmate=None, copyq=None, size=0, count=None, suffix=""):
    count = count or args.count
    prefix = "qmb-%s-g%s" % (tag, gap)
    if quillmate:
        quillmate.first_seen = {}
    copier = Copier(args.copier, count, gap, prefix, size, suffix=suffix)
    while copier.running():
        if quillmate:
            quillmate.poll(prefix, 0.01)
        else:
            time.sleep(0.01)
    times = copier.copy_times()
    result = {}
    if quillmate:
        end = time.time() + 1.0
        while time.time() < end:
            quillmate.poll(prefix, 0.05)
        indices = quillmate.recorded(prefix)
        share, ordered = fraction_in_order(indices, count)
        latencies = [(quillmate.first_seen[i] - times[i]) / 1e6 for i in set(indices)
                     if i in quillmate.first_seen and i in times]
        result["quillmate"] = {"share": share, "ordered": ordered, "count": count,
                               "p50": percentile(latencies, 0.5),
                               "p99": percentile(latencies, 0.99)}
    if copyq:
        time.sleep(0.5)
        share, ordered = fraction_in_order(copyq.recorded(prefix), count)
        result["copyq"] = {"share": share, "ordered": ordered, "count": count}
    return result


def imported_dlls(exe):
    """The DLLs an executable imports, from its import table (objdump of mingw-w64)."""
    try:
        out = subprocess.run(["x86_64-w64-mingw32-objdump", "-p", exe], capture_output=True,
                             text=True, timeout=60).stdout
    except (OSError, subprocess.TimeoutExpired):
        return []
    return [line.split(":", 1)[1].strip() for line in out.splitlines()
            if line.strip().startswith("DLL Name:")]


def bare_window_memory(args, dlls=()):
    proc = subprocess.Popen([WINE, args.bare, *dlls], stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(args.settle)
        return memory_kb(proc.pid)
    finally:
        stop_pid(proc)


def measure(args):
    gaps = [int(g) for g in args.gaps.split(",")]
    out = {"gaps": gaps, "count": args.count, "alone": {}, "together": {}}
    # A text on the clipboard at start: its capture shows the window is up and watching.
    holder = Copier(args.copier, 1, 0, "qmb-start", 0, 120000)
    time.sleep(0.3)
    q = Quillmate(args.exe)
    try:
        started = now_ns()
        q.start()
        if not q.wait_text(b"qmb-start 00000", 120):
            raise RuntimeError("Quillmate recorded nothing at start")
        out["start_ms"] = (now_ns() - started) / 1e6
        stop_pid(holder.proc)
        time.sleep(args.settle)
        out["idle_kb"] = memory_kb(q.proc.pid)
        # A full history of 1 KB texts, captured one by one.
        # A full history of 1 KB texts; a burst may miss some, so it is topped up.
        for round in range(5):
            missing = args.fill - len(q.history())
            if missing <= 0:
                break
            run_burst(args, 10, "fill%d" % round, q, size=1024, count=missing)
        out["filled"] = len(q.history())
        time.sleep(args.settle)
        out["full_kb"] = memory_kb(q.proc.pid)
        for gap in gaps:
            out["alone"].setdefault(gap, {}).update(run_burst(args, gap, "qa", quillmate=q))
        # Texts with an exact form, then a full history of them, 1 KB each.
        out["exact"] = {gap: run_burst(args, gap, "qx", quillmate=q, suffix=EXACT_SUFFIX)
                        for gap in gaps if gap >= 10}
        for round in range(5):
            missing = args.fill - q.count_prefixed(b"qmb-xfill")
            if missing <= 0:
                break
            run_burst(args, 10, "xfill%d" % round, q, size=1024, count=missing,
                      suffix=EXACT_SUFFIX)
        time.sleep(args.settle)
        out["exact_full_kb"] = memory_kb(q.proc.pid)
        if not args.no_copyq:
            q.quit()  # CopyQ alone; then both, Quillmate started again on its full history
            c = CopyQ()
            try:
                for gap in gaps:
                    out["alone"][gap].update(run_burst(args, gap, "ca", copyq=c))
                q.start()
                q.driver("wait-window", "120000")
                time.sleep(args.settle)
                for gap in gaps:
                    out["together"][gap] = run_burst(args, gap, "both", quillmate=q, copyq=c)
            finally:
                c.stop()
    finally:
        if holder.running():
            stop_pid(holder.proc)
        q.stop()
    out["bare_kb"] = bare_window_memory(args)
    out["dlls"] = imported_dlls(args.exe)
    out["bare_dlls_kb"] = bare_window_memory(args, out["dlls"])
    return out


def fmt_share(r):
    if not r:
        return "-"
    text = "%d/%d" % (round(r["share"] * r["count"]), r["count"])
    return text if r["ordered"] else text + " (out of order)"


def fmt_ms(v):
    return "-" if v is None else "%.1f" % v


def codec_rows(path):
    with open(path) as f:
        runs = json.load(f)["benchmarks"]
    cpu = {r["name"]: r["cpu_time"] for r in runs if r.get("run_type", "iteration") == "iteration"}
    rows = []
    for entries in (30, 1000, FULL):
        for size, label in ((16, "16 B"), (1024, "1 KB"), (65536, "64 KB")):
            key = "%d/%d" % (entries, size)
            try:
                save = cpu["BM_SaveCodec/" + key] / cpu["BM_SaveRaw/" + key]
                load = cpu["BM_LoadCodec/" + key] / cpu["BM_LoadRaw/" + key]
                decode = cpu["BM_DecodeCodec/" + key] / cpu["BM_LoadRaw/" + key]
            except KeyError:
                continue
            rows.append(("codec %d × %s: save / load (decode alone) vs fwrite / fread"
                         % (entries, label),
                         "%.1f× / %.1f× (%.1f×)" % (save, load, decode), "target ≤ 2× / 2×"))
    exact = [r for r in runs if r["name"] == "BM_LoadExactFile16MB"]
    if exact:
        rows.append(("load of %d texts with a %.0f MB .hsu (exact forms)"
                     % (FULL, exact[0]["hsu_MB"]), "%.0f ms" % exact[0]["real_time"], "-"))
    return rows


def table(result, args):
    rows = [("figure", "Quillmate", "peer")]
    for mode in ("alone", "together"):
        for gap in result["gaps"]:
            r = result[mode].get(gap, {})
            q = r.get("quillmate")
            rows.append(("capture %s, %d texts %d ms apart: recorded in order (p50/p99 ms)"
                         % (mode, result["count"], gap),
                         "%s (%s/%s)" % (fmt_share(q), fmt_ms(q and q["p50"]),
                                         fmt_ms(q and q["p99"])) if q else "-",
                         "CopyQ %s" % fmt_share(r.get("copyq"))))
    idle, full, bare = result["idle_kb"], result["full_kb"], result["bare_kb"]
    rows.append(("memory idle: resident / private MB", "%.1f / %.1f" % (idle[0] / 1024,
                 idle[1] / 1024), "bare window %.1f / %.1f" % (bare[0] / 1024, bare[1] / 1024)))
    dlls = result["bare_dlls_kb"]
    rows.append(("bare window with Quillmate's %d DLLs loaded: resident / private MB"
                 % len(result["dlls"]), "-", "%.1f / %.1f" % (dlls[0] / 1024, dlls[1] / 1024)))
    rows.append(("memory after %d captures of 1 KB: resident / private MB" % result["filled"],
                 "%.1f / %.1f" % (full[0] / 1024, full[1] / 1024),
                 "private %.1f× the bare window's" % (full[1] / max(1, bare[1]))))
    for gap, r in sorted(result.get("exact", {}).items()):
        q = r.get("quillmate")
        rows.append(("capture alone, %d texts outside the code page %d ms apart (p50/p99 ms)"
                     % (result["count"], gap),
                     "%s (%s/%s)" % (fmt_share(q), fmt_ms(q and q["p50"]), fmt_ms(q and q["p99"])),
                     "-"))
    if "exact_full_kb" in result:
        x = result["exact_full_kb"]
        rows.append(("memory after %d more captures of 1 KB outside the code page: "
                     "resident / private MB" % args.fill,
                     "%.1f / %.1f" % (x[0] / 1024, x[1] / 1024), "-"))
    rows.append(("start to first capture, ms", "%.0f" % result["start_ms"], "-"))
    if args.exe32:
        rows.append(("win32 Quillmate.exe, stripped", "%d KB" % (os.path.getsize(args.exe32) // 1024),
                     "target ≤ 300 KB"))
    if args.codec_json:
        rows += codec_rows(args.codec_json)
    widths = [max(len(r[i]) for r in rows) for i in range(3)]
    lines = []
    for n, r in enumerate(rows):
        lines.append("| " + " | ".join(c.ljust(w) for c, w in zip(r, widths)) + " |")
        if n == 0:
            lines.append("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    return "\n".join(lines)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--exe", required=True)
    p.add_argument("--exe32")
    p.add_argument("--bare", required=True)
    p.add_argument("--copier", required=True)
    p.add_argument("--codec-json")
    p.add_argument("--count", type=int, default=200)
    p.add_argument("--gaps", default="0,5,10,20,50")
    p.add_argument("--settle", type=float, default=3.0)
    p.add_argument("--fill", type=int, default=FULL, help="1 KB captures before the bursts")
    p.add_argument("--no-copyq", action="store_true")
    p.add_argument("--json-out")
    args = p.parse_args()
    result = measure(args)
    if args.json_out:
        with open(args.json_out, "w") as f:
            json.dump(result, f, indent=1)
    print(table(result, args))


if __name__ == "__main__":
    main()
