#!/usr/bin/env bash
# Configures and builds one build tree: scripts/build.sh <build-dir> [extra cmake arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
dir=${1:-build}; shift || true
if [ -f "$here/webui/package.json" ]; then
  bash "$here/scripts/build-webui.sh"
fi
cmake -S "$here" -B "$here/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$here/$dir" --parallel "${VLM_JOBS:-$(nproc)}"
