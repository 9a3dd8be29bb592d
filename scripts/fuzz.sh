#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang only) in their own small tree and runs each for a few
# seconds from its committed corpus: scripts/fuzz.sh [seconds per target, default 10].
# New inputs go to a scratch folder, so the committed corpora stay as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
cmake -S "$here/fuzz" -B "$here/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$here/build-fuzz" --parallel "${VLM_JOBS:-$(nproc)}"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
for corpus in "$here"/fuzz/corpus/*/; do
  name=$(basename "$corpus")
  mkdir -p "$scratch/$name"
  echo "fuzz: $name for ${seconds}s"
  (cd "$scratch" && "$here/build-fuzz/fuzz_$name" -max_total_time="$seconds" -rss_limit_mb=2048 \
     -print_final_stats=1 "$scratch/$name" "$corpus")
done
