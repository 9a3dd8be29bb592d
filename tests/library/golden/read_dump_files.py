#!/usr/bin/python3
# Reads dump files with mido, a MIDI library independent of this program: prints one line per
# system-exclusive message, "F0 .. F7" in hex, for a .mid (its track events) or a .syx (raw messages).
import sys

import mido


def frames(path):
    if path.lower().endswith(".syx"):
        messages = mido.read_syx_file(path)
    else:
        messages = [m for track in mido.MidiFile(path).tracks for m in track]
    return [m.bytes() for m in messages if m.type == "sysex"]


for path in sys.argv[1:]:
    print(path)
    for frame in frames(path):
        print(" ".join("%02X" % b for b in frame))
