#!/usr/bin/env python3
"""Start-up of the program to the editor's drawn panels, seen on the screen (not in the log).

Each run launches the program on a private Xvfb display and polls the screen until it has settled. The
window counts as mapped at the first grab that differs from the empty screen, and the panels as drawn at
the first grab from which the screen stays as it finally is (the splash and a half-built page both differ
from it). Times are from launch to the end of the grab that first showed the state. The first run warms
the per-user folders (a user's first start installs the presets) and is not counted.

  tools/editorbench/startup_to_panels.py [--runs 7] [--program build/standalone/Velmora ...] [-- program args]

Given two or more programs (say a build from before a change and one after), it starts them in turn,
round after round, so that the machine's changing load falls on all of them alike.
"""
import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import session  # noqa: E402
import xscreen  # noqa: E402

MAPPED_DIFF = 0.01   # share of the screen that must change for a window to be there
SETTLED_DIFF = 0.002  # at most this share may differ from the final screen (a caret, a meter pixel)


def one_run(args, program, display, home, screen):
    empty = screen.grab()
    frames = []
    start = time.monotonic()
    proc = session.start_program(program, args.program_args, home.env, display.name)
    try:
        while time.monotonic() - start < args.settle:
            planes = screen.grab()
            frames.append((time.monotonic() - start, planes))
            time.sleep(args.poll)
        if proc.poll() is not None:
            raise RuntimeError(f"the program ended early (exit {proc.returncode})")
    finally:
        session.stop_program(proc)
    final = frames[-1][1]
    if xscreen.differing_fraction(final, empty) <= MAPPED_DIFF:
        return None, None  # nothing ever showed
    mapped = next((t for t, f in frames if xscreen.differing_fraction(f, empty) > MAPPED_DIFF), None)
    drawn = None
    for t, f in reversed(frames):
        if xscreen.differing_fraction(f, final) > SETTLED_DIFF:
            break
        drawn = t
    if drawn is not None and drawn > args.settle - 1.0:
        drawn = None  # still changing at the end: not settled
    return mapped, drawn


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", action="append",
                    help="the program to start; give it twice or more to compare them in interleaved rounds")
    ap.add_argument("--runs", type=int, default=7, help="rounds (each starts every program once)")
    ap.add_argument("--settle", type=float, default=16.0, help="seconds each run watches the screen")
    ap.add_argument("--poll", type=float, default=0.01, help="pause between grabs in seconds")
    ap.add_argument("--display", help="an existing X display to use instead of a private Xvfb")
    ap.add_argument("program_args", nargs="*", help="arguments for the programs (after --)")
    args = ap.parse_args()
    programs = args.program or [session.default_program()]

    display = session.Display(existing=args.display)
    screen = xscreen.Screen(display.name)
    homes = {p: session.Home() for p in programs}
    results = {p: ([], []) for p in programs}
    try:
        print(f"{' '.join(args.program_args)}; {session.load_note()}")
        for p in programs:
            one_run(args, p, display, homes[p], screen)  # warm-up: the first start installs the presets
        for i in range(args.runs):
            for p in programs:
                mapped, drawn = one_run(args, p, display, homes[p], screen)
                print(f"round {i + 1} {p}: window mapped {fmt(mapped)} s, panels drawn {fmt(drawn)} s", flush=True)
                if mapped is not None:
                    results[p][0].append(mapped)
                if drawn is not None:
                    results[p][1].append(drawn)
        ok = True
        for p in programs:
            mapped_all, drawn_all = results[p]
            ok = ok and len(drawn_all) == args.runs
            if drawn_all:
                print(f"{p}: median of {len(drawn_all)}: window mapped {session.median(mapped_all):.3f} s, "
                      f"panels drawn {session.median(drawn_all):.3f} s")
        print(session.load_note())
        return 0 if ok else 1
    finally:
        screen.close()
        for h in homes.values():
            h.close()
        display.close()


def fmt(seconds):
    return "-" if seconds is None else f"{seconds:.3f}"


if __name__ == "__main__":
    sys.exit(main())
