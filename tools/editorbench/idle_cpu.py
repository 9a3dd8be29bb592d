#!/usr/bin/env python3
"""Idle CPU of the program and its web processes: nothing played, nothing touched.

Each run launches the program on a private Xvfb display, lets it start and draw (--warmup seconds), then
reads utime + stime of the program and of every process it started (WebKitWebProcess, WebKitNetworkProcess,
...) from /proc/<pid>/stat at the start and end of a --window second span. Figures are percent of one core,
median of the runs. The program opens its audio device as usual (start a JACK server first to include the
audio thread's cost), or pass -- --no-io.

  tools/editorbench/idle_cpu.py [--runs 3] [--window 20] [--program build/standalone/Velmora] [-- program args]
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import session  # noqa: E402

TICKS = os.sysconf("SC_CLK_TCK")


def read_stat(pid):
    """(name, parent pid, utime + stime in ticks) of a process, or None when it is gone."""
    try:
        with open(f"/proc/{pid}/stat") as f:
            text = f.read()
    except OSError:
        return None
    name = text[text.index("(") + 1:text.rindex(")")]
    rest = text[text.rindex(")") + 2:].split()
    # Fields after the name: state(3) ppid(4) ... utime(14) stime(15), counted from 1 with pid first.
    return name, int(rest[1]), int(rest[11]) + int(rest[12])


def process_tree(root):
    """{pid: (name, ticks)} of root and all its descendants."""
    stats = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            s = read_stat(int(entry))
            if s:
                stats[int(entry)] = s
    tree, todo = {}, [root]
    while todo:
        pid = todo.pop()
        if pid in stats and pid not in tree:
            tree[pid] = (stats[pid][0], stats[pid][2])
            todo.extend(p for p, s in stats.items() if s[1] == pid)
    return tree


def one_run(args, display, home):
    proc = session.start_program(args.program, args.program_args, home.env, display.name)
    try:
        session.wait_seconds(args.warmup)
        if proc.poll() is not None:
            raise RuntimeError(f"the program ended early (exit {proc.returncode})")
        before = process_tree(proc.pid)
        t0 = time.monotonic()
        session.wait_seconds(args.window)
        after = process_tree(proc.pid)
        elapsed = time.monotonic() - t0
    finally:
        session.stop_program(proc)
    usage = {}
    for pid, (name, ticks) in after.items():
        label = "program" if pid == proc.pid else name
        used = ticks - before.get(pid, (name, 0))[1]
        usage[label] = usage.get(label, 0.0) + 100.0 * used / TICKS / elapsed
    return usage


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", default=session.default_program())
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--warmup", type=float, default=8.0, help="seconds to start and draw before measuring")
    ap.add_argument("--window", type=float, default=20.0, help="seconds measured")
    ap.add_argument("--display", help="an existing X display to use instead of a private Xvfb")
    ap.add_argument("program_args", nargs="*", help="arguments for the program (after --)")
    args = ap.parse_args()

    display = session.Display(existing=args.display)
    home = session.Home()
    try:
        print(f"{args.program} {' '.join(args.program_args)}; {session.load_note()}")
        runs = []
        for i in range(args.runs):
            usage = one_run(args, display, home)
            usage["total"] = sum(usage.values())
            runs.append(usage)
            print(f"run {i + 1}: " + ", ".join(f"{k} {v:.2f}%" for k, v in sorted(usage.items())), flush=True)
        labels = sorted({k for u in runs for k in u})
        print("median: " + ", ".join(f"{k} {session.median([u.get(k, 0.0) for u in runs]):.2f}%" for k in labels)
              + f" of one core over {args.window:.0f} s; {session.load_note()}")
        return 0
    finally:
        home.close()
        display.close()


if __name__ == "__main__":
    sys.exit(main())
