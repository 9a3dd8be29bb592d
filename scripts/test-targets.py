#!/usr/bin/env python3
"""Prints the build targets that a CTest selection runs, one a line.

    scripts/test-targets.py <build-dir> [ctest selection arguments, e.g. -LE gui]

A sanitizer tree then builds only what its tests run (each test's program is a target of the same
name; the targets' own dependencies, such as the plug-in module, come with them). Works on a tree that
is configured but not built yet: the programs are read from the CTest files, not looked up on disk.
"""
import json
import os
import pathlib
import re
import subprocess
import sys

build_dir, selection = sys.argv[1], sys.argv[2:]
listing = subprocess.run(["ctest", "--show-only=json-v1", *selection], cwd=build_dir,
                         check=True, capture_output=True, text=True).stdout
selected = {test["name"] for test in json.loads(listing)["tests"]}

ADD_TEST = re.compile(r'^add_test\(\[=\[(.+?)\]=\] "([^"]+)"', re.M)
tree = os.path.realpath(build_dir) + os.sep
targets = set()
for testfile in pathlib.Path(build_dir).rglob("CTestTestfile.cmake"):
    for name, program in ADD_TEST.findall(testfile.read_text()):
        # Only programs the tree builds are targets; a test run by an outside program (a script) has none.
        if name in selected and os.path.realpath(program).startswith(tree):
            targets.add(os.path.basename(program))
print("\n".join(sorted(targets)))
