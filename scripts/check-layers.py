#!/usr/bin/env python3
"""Fails when a folder includes a header of a folder above it.

    scripts/check-layers.py [source-dir]

From the bottom: the engine and Keel, then common (parameter indices, program log, per-user folders),
then library, then processor, then the program, the plug-in, the tools and everything else. Each folder
lists what it may include; a folder not listed here may include anything.
"""
import pathlib
import re
import sys

KEEL = {"Keel/Platform", "Keel/Dependencies", "Keel/Core"}
ALLOWED = {
    "engine": {"engine"},
    "resources": {"resources"},
    "Keel/Platform": {"Keel/Platform"},
    "Keel/Dependencies": {"Keel/Dependencies"},
    "Keel/Core": KEEL,
    "common": {"common"} | KEEL,
    "library": {"library", "common", "resources", "engine"} | KEEL,
    "processor": {"processor", "library", "common", "resources", "engine"} | KEEL,
}
FOLDERS = sorted(ALLOWED | {"standalone": None, "plugin": None, "tools": None}, key=len, reverse=True)
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"', re.M)


def folder_of(relative_path):
    for folder in FOLDERS:
        if relative_path == folder or relative_path.startswith(folder + "/"):
            return folder
    return relative_path.split("/", 1)[0]


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parent.parent)
    faults = []
    for folder, allowed in ALLOWED.items():
        for source in sorted((root / folder).rglob("*")):
            if source.suffix not in {".h", ".hpp", ".cpp", ".c", ".S"}:
                continue
            own = folder_of(source.relative_to(root).as_posix())
            if own != folder:
                continue  # a nested folder with rules of its own
            for included in INCLUDE.findall(source.read_text(errors="replace")):
                if "/" not in included:
                    continue  # beside the file itself
                target = folder_of(included)
                if target not in allowed and (root / included).exists():
                    faults.append(f"{source.relative_to(root)}: includes {included} ({folder} may not "
                                  f"include {target})")
    for fault in faults:
        print(fault)
    if faults:
        print(f"check-layers: {len(faults)} include(s) point up")
        return 1
    print("check-layers: every include points down")
    return 0


if __name__ == "__main__":
    sys.exit(main())
