#!/usr/bin/env python3
"""Prints the build targets that a CTest selection runs, one a line.

    scripts/test-targets.py <build-dir> [ctest selection arguments, e.g. -LE gui]

A sanitizer tree then builds only what its tests run (each test's program is a target of the same
name; the targets' own dependencies, such as the plug-in module, come with them).
"""
import json
import os
import subprocess
import sys

build_dir, selection = sys.argv[1], sys.argv[2:]
listing = subprocess.run(["ctest", "--show-only=json-v1", *selection], cwd=build_dir,
                         check=True, capture_output=True, text=True).stdout
# Only programs the tree builds are targets; a test run by an outside program (a script) has none.
tree = os.path.realpath(build_dir) + os.sep
targets = sorted({os.path.basename(test["command"][0]) for test in json.loads(listing)["tests"]
                  if test.get("command") and os.path.realpath(test["command"][0]).startswith(tree)})
print("\n".join(targets))
