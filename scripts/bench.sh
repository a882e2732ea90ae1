#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs each once; every program prints its
# own ratios after its table, collected again at the end. bench/gui/ holds the
# ones that drive the Qt windows, run on the offscreen platform.
#   scripts/bench.sh [name...]       default: every bench/*_bench.cpp and bench/gui/*_bench.cpp
# BUILD_DIR (default build-bench), BUILD_TYPE (default Release), JOBS (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${BUILD_DIR:-build-bench}
jobs=${JOBS:-2}

if [ $# -gt 0 ]; then
  benches="$*"
else
  benches=$(cd bench && { ls ./*_bench.cpp ./gui/*_bench.cpp 2>/dev/null || true; } | sed 's#^.*/##; s#\.cpp$##')
fi

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-Release}" "${launcher[@]}" \
  -DPELLAR_BUILD_GUI=ON -DPELLAR_BUILD_BENCH=ON -DPELLAR_BUILD_FUZZ=OFF
# Besides the programs, what they start: the server executable (HostilePeers_bench
# attacks it as a process of its own) and the soak driver.
# shellcheck disable=SC2086
cmake --build "$dir" -j "$jobs" --target $benches miravod_exe SoakDriver

export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
status=0
for b in $benches; do
  echo "== $b ($(date +%T))"
  out=$("$dir/bench/$b" --benchmark_color=false 2>&1) || status=1
  echo "$out"
  # What each program prints besides the library's header, its table rows and
  # the offscreen platform's notes is its ratios and figures; of the table, the
  # rows whose counters are figures stay (single runs and the medians of
  # repetitions) with the headers that name those counters. A program that
  # prints none is no reason to stop the script.
  { echo "-- $b"; echo "$out" | sed 's/\x1b\[[0-9;]*m//g' |
      grep -vE '^(20[0-9][0-9]-|Running |Run on |CPU Caches|  L[0-9] |Load Average|\*\*\*WARNING|-{5,}|Benchmark +Time +CPU +Iterations *$|This plugin does not support|QStandardPaths:)' |
      awk '!/_cv / && (/iterations:1\/real_time |_median / || !/ (ns|us|ms) +[0-9.]+ (ns|us|ms) +[0-9]+/)' | grep -v '^ *$' || true; } >>"$summary"
done
echo
echo "==== ratios ===="
cat "$summary"
exit $status
