#!/usr/bin/env bash
# Installs, builds and starts Velmora: bash scripts/run.sh [program options]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh" build
if [ -x "$here/build/standalone/Velmora" ]; then
  if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: run it under a virtual one, e.g. xvfb-run -a bash scripts/run.sh" >&2
    exit 1
  fi
  exec "$here/build/standalone/Velmora" "$@"
fi
echo "The program is not built yet in this version; the tests run with: bash scripts/test.sh"
