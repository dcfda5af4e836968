#!/usr/bin/env bash
# Builds the program in Release in build-bench/ and runs its timing benchmarks,
# then prints a table of the median times against the goals.
#   BENCH_JOBS         parallel build jobs (default: all cores)
#   BENCH_REPETITIONS  runs of each benchmark the median is taken over (default 5)
#   BENCH_FILTER       regular expression choosing benchmarks (default: all)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"

bash "$root/scripts/deps.sh" libbenchmark-dev

cmake -G Ninja -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target dorvana_bench -j "${BENCH_JOBS:-$(nproc)}"

results="$build/bench-results.json"
# Qt wants a private runtime folder; without one it says so on every start.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR="$(mktemp -d)"
  export XDG_RUNTIME_DIR
  trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
QT_QPA_PLATFORM=offscreen "$build/bench/dorvana_bench" \
  --benchmark_filter="${BENCH_FILTER:-.}" \
  --benchmark_repetitions="${BENCH_REPETITIONS:-5}" \
  --benchmark_report_aggregates_only=true \
  --benchmark_out="$results" --benchmark_out_format=json

echo
echo "Machine: $(nproc) cores, $(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n1)," \
     "$(awk '/MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) memory," \
     "load average $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Output folder's file system: $(findmnt -no SOURCE,FSTYPE -T "${TMPDIR:-/tmp}" 2>/dev/null || echo unknown)"
echo
node "$root/bench/table.js" "$results"
