#!/usr/bin/env bash
# The whole test suite on a fresh Debian 12 machine, as root: installs, builds, tests.
#   bash scripts/test.sh [extra cmake arguments for the build tree]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bash "$here/scripts/install-deps.sh"
bash "$here/scripts/build.sh" build "$@"
if [ -f "$here/webui/package.json" ]; then
  (cd "$here/webui" && npm test)
  # The page once more in WebKitGTK, the engine the program shows it in.
  (cd "$here/webui" && npm run test:webkit)
fi
# Tests that need devices talk to a JACK server with the dummy driver; tests that need a
# display get a virtual one.
source "$here/scripts/test-env.sh"
start_test_services
trap stop_test_services EXIT
cd "$here/build"
ctest --output-on-failure --parallel "$(nproc)" --timeout 600
