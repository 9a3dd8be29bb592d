#!/usr/bin/env bash
# WebKitGTK smoke test of the built page (the program's engine is not Chromium). Uses a virtual display when none is set.
set -euo pipefail
cd "$(dirname "$0")/../.."
[ -f dist/index.html ] || npx vite build --logLevel warn
scripts=$(npx vite-node tests/webkit/initialState.ts)
if [ -n "${DISPLAY:-}" ]; then
  printf '%s' "$scripts" | /usr/bin/python3 tests/webkit/smoke.py
else
  printf '%s' "$scripts" | xvfb-run -a /usr/bin/python3 tests/webkit/smoke.py
fi
