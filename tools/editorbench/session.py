"""One place that starts what both editor benchmarks need: a private display, fresh per-user folders and
the program itself."""
import os
import shutil
import signal
import subprocess
import tempfile
import time


# A benchmark stopped from outside still stops what it started (its finally blocks run).
signal.signal(signal.SIGTERM, lambda *_: (_ for _ in ()).throw(SystemExit(1)))


class Display:
    """A private Xvfb display (unless one is given), so the watcher sees only the program's window."""

    def __init__(self, width=1280, height=960, existing=None):
        self.proc = None
        if existing:
            self.name = existing
            return
        r, w = os.pipe()
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(w), "-screen", "0", f"{width}x{height}x24", "-nolisten", "tcp"],
            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(w)
        with os.fdopen(r) as f:
            number = f.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number

    def close(self):
        if self.proc:
            self.proc.terminate()
            self.proc.wait()


class Home:
    """Per-user folders of their own, kept across runs like a user's (the first start installs presets)."""

    def __init__(self):
        self.root = tempfile.mkdtemp(prefix="vlm-editorbench-")
        self.env = dict(os.environ)
        for key, sub in (("HOME", "home"), ("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                         ("XDG_CACHE_HOME", "cache"), ("XDG_RUNTIME_DIR", "run"), ("TMPDIR", "tmp")):
            path = os.path.join(self.root, sub)
            os.makedirs(path, mode=0o700)
            self.env[key] = path

    def close(self):
        shutil.rmtree(self.root, ignore_errors=True)


def start_program(program, args, env, display):
    e = dict(env)
    e["DISPLAY"] = display
    return subprocess.Popen([program] + list(args), env=e, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)


def stop_program(proc, timeout=10):
    """A clean stop (the program quits on SIGTERM); killed only when it does not end in time."""
    if proc.poll() is None:
        proc.send_signal(signal.SIGTERM)
        try:
            proc.wait(timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def load_note():
    one, five, _ = os.getloadavg()
    return f"load average {one:.1f} (1 min), {five:.1f} (5 min) on {os.cpu_count()} cores"


def median(values):
    v = sorted(values)
    n = len(v)
    return v[n // 2] if n % 2 else 0.5 * (v[n // 2 - 1] + v[n // 2])


def default_program():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, "..", "..", "build", "standalone", "Velmora"))


def wait_seconds(seconds):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        time.sleep(min(0.1, end - time.monotonic()))
