#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/, clang only) in their own small tree and runs each for a few
# seconds from its committed corpus: scripts/fuzz.sh [seconds per target, default 10].
# New inputs go to a scratch folder, so the committed corpora stay as they are. Each fuzzer is one
# thread, so they run side by side, as many at a time as there are cores.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-10}
jobs=${VLM_JOBS:-$(nproc)}
cmake -S "$here/fuzz" -B "$here/build-fuzz" -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build "$here/build-fuzz" --parallel "$jobs"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
names=()
for corpus in "$here"/fuzz/corpus/*/; do names+=("$(basename "$corpus")"); done
failed=0
for ((first = 0; first < ${#names[@]}; first += jobs)); do
  batch=("${names[@]:first:jobs}")
  pids=()
  for name in "${batch[@]}"; do
    mkdir -p "$scratch/$name"
    (cd "$scratch" && "$here/build-fuzz/fuzz_$name" -max_total_time="$seconds" -rss_limit_mb=2048 \
       -print_final_stats=1 "$scratch/$name" "$here/fuzz/corpus/$name/") >"$scratch/$name.log" 2>&1 &
    pids+=($!)
  done
  # Each one's output shows once it has ended, whole.
  for i in "${!batch[@]}"; do
    status=0
    wait "${pids[$i]}" || status=$?
    echo "fuzz: ${batch[$i]} for ${seconds}s"
    cat "$scratch/${batch[$i]}.log"
    if [ "$status" -ne 0 ]; then
      echo "fuzz: ${batch[$i]} failed (exit status $status)"
      failed=1
    fi
  done
done
exit "$failed"
