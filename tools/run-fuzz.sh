#!/usr/bin/env bash
# Runs every fuzz target of the preset "fuzz" for SECONDS each:
#   tools/run-fuzz.sh SECONDS [TARGET...]
# Each target first runs the kept inputs in tests/fuzz/corpus/<target>/
# (regressions and seeds), then fuzzes, adding what it finds to
# build/fuzz/corpus/<target>/. A crash leaves its input in
# build/fuzz/artifacts/ and makes the script fail.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:?usage: run-fuzz.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(hex_coder_fuzz hex_to_int_fuzz replace_all_fuzz copy_part_fuzz)

bin=$root/build/fuzz/bin
mkdir -p "$root/build/fuzz/artifacts"
failed=()
for target in "${targets[@]}"; do
  kept=$root/tests/fuzz/corpus/$target
  work=$root/build/fuzz/corpus/$target
  mkdir -p "$kept" "$work"
  log=$root/build/fuzz/$target.log
  if "$bin/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$root/build/fuzz/artifacts/$target-" "$work" "$kept" >"$log" 2>&1; then
    runs=$(grep -o 'Done [0-9]* runs' "$log" | tail -1 || true)
    echo "fuzz $target: ok (${runs:-no summary}, ${seconds}s)"
  else
    echo "fuzz $target: FAILED, see $log" >&2
    tail -25 "$log" >&2
    failed+=("$target")
  fi
done
[ ${#failed[@]} -eq 0 ] || { echo "fuzz: failed: ${failed[*]}" >&2; exit 1; }
