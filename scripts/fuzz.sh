#!/usr/bin/env bash
# Builds the libFuzzer targets (clang; every library instrumented with
# fuzzer-no-link,address,undefined) and runs each for a number of seconds.
#   scripts/fuzz.sh [seconds]        default 60 per target
# BUILD_DIR (default build-fuzz2), JOBS (default 2), FUZZERS="a b" to run
# only some targets. Each target starts from its regression corpus
# (fuzz/corpus/<target>/) as well as from what earlier runs found; crash,
# timeout and out-of-memory inputs land in $BUILD_DIR/fuzz-artifacts/ and are
# copied into fuzz/corpus/<target>/, which ctest replays (fuzz_corpus_*) so a
# fixed fault cannot come back. Commit them with the fix.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-60}
dir=${BUILD_DIR:-build-fuzz2}
jobs=${JOBS:-2}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

cmake -S . -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
  -DPELLAR_BUILD_GUI=OFF -DPELLAR_BUILD_BENCH=OFF -DPELLAR_BUILD_FUZZ=ON -DPELLAR_HARDENING=OFF

targets=${FUZZERS:-$(cd fuzz && ls ./*_fuzz.cpp | sed 's#^\./##; s#\.cpp$##')}
# shellcheck disable=SC2086
cmake --build "$dir" -j "$jobs" --target $targets

mkdir -p "$dir/fuzz-artifacts"
failed=()
for t in $targets; do
  corpus="$dir/fuzz-corpus/$t"
  mkdir -p "$corpus"
  echo "== $t: ${seconds} s"
  regression="fuzz/corpus/$t"
  mkdir -p "$regression"
  if ! "$dir/fuzz/$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$dir/fuzz-artifacts/$t-" "$corpus" "$regression" \
      2>"$dir/fuzz-artifacts/$t.log"; then
    failed+=("$t")
  fi
  grep -E "^stat::number_of_executed_units|^Done |ERROR|SUMMARY" "$dir/fuzz-artifacts/$t.log" || true
  for found in "$dir/fuzz-artifacts/$t-"{crash,timeout,oom,leak,slow-unit}-*; do
    [ -e "$found" ] || continue
    cp -n "$found" "$regression/${found##*/$t-}"
    echo "kept $regression/${found##*/$t-}"
  done
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing found problems in: ${failed[*]} (see $dir/fuzz-artifacts/)" >&2
  exit 1
fi
echo "all fuzz targets ran ${seconds} s clean"
