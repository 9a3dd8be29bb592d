#!/usr/bin/env bash
# Rewrites the golden parameter dumps from the current parameter table:
#   bash tests/processor/golden/regenerate-param-dumps.sh [build-dir]
# Run it only after a deliberate change to a parameter or a curve, and review the diff: the page and
# outside tools read these files as the contract.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${1:-$root/build}
cmake --build "$build" --target velmora-dump
VLM_DUMP_SCHEMA_PATH="$here/param-schema.json" VLM_DUMP_CURVES_PATH="$here/param-curves.json" \
  "$build/tools/dump/velmora-dump"
echo "regenerated $here/param-schema.json and $here/param-curves.json"
