#!/usr/bin/env bash
# Runs the benchmark under Wine on a private virtual display and plots the
# hot-key latencies:  bench/run.sh [driver options]  (see bench/Bench.cpp).
# BENCH_IDLE_SECONDS sets the idle time (default 30).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin=$root/build/windows/bin
for exe in Ordfalk.exe Floor.exe WindowFloor.exe OrdfalkBench.exe; do
  [ -f "$bin/$exe" ] || { echo "bench: $bin/$exe is missing; build with 'make windows'" >&2; exit 1; }
done
out=$root/build/bench
mkdir -p "$out"
rm -f "$out"/latency-*.dat "$out"/bench.json

machine="$(nproc) x $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -1)"
cd "$out"
# Everything runs on one CPU (BENCH_CPUS, a taskset list; empty: any CPU),
# so that both contenders meet the same conditions. Spread over the two CPUs
# of a virtual machine, whose host takes a varying share of each (the steal
# column of /proc/stat), the same programs measured 1.00 to 1.26 times the
# floor from one run to the next.
pin=()
[ -n "${BENCH_CPUS-0}" ] && pin=(taskset -c "${BENCH_CPUS-0}")
"${pin[@]}" "$root/tools/with-wine.sh" bash -c '"$WINE" "$0" "$@"' "$bin/OrdfalkBench.exe" \
  --idle "${BENCH_IDLE_SECONDS:-30}" --machine "$machine" "$@"

gnuplot -e "dir='$out'" "$root/bench/latency.gp"
echo "Figures: $out/bench.json; plot: $out/latency.png"
