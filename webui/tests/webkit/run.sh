#!/usr/bin/env bash
# WebKitGTK smoke test of the built page (the program's engine is not Chromium). Uses a virtual display when none is set.
# fontconfig gets a configuration without a single font: whatever the page shows, its own inlined fonts draw.
set -euo pipefail
cd "$(dirname "$0")/../.."
[ -f dist/index.html ] || npx vite build --logLevel warn
scripts=$(npx vite-node tests/webkit/initialState.ts)
fonts=$(mktemp -d)
trap 'rm -rf "$fonts"' EXIT
printf '<?xml version="1.0"?>\n<!DOCTYPE fontconfig SYSTEM "fonts.dtd">\n<fontconfig><cachedir>%s</cachedir></fontconfig>\n' \
  "$fonts/cache" >"$fonts/fonts.conf"
export FONTCONFIG_FILE=$fonts/fonts.conf
if [ -n "${DISPLAY:-}" ]; then
  printf '%s' "$scripts" | /usr/bin/python3 tests/webkit/smoke.py
else
  printf '%s' "$scripts" | xvfb-run -a /usr/bin/python3 tests/webkit/smoke.py
fi
