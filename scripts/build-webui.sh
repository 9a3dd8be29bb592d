#!/usr/bin/env bash
# Builds the editor page into one self-contained index.html (webui/dist/index.html).
set -euo pipefail
cd "$(dirname "$0")/../webui"
if [ ! -d node_modules ] || [ package-lock.json -nt node_modules/.package-lock.json ]; then
  npm ci --no-audit --no-fund
fi
npm run build
