#!/usr/bin/env bash
# Builds the project under AddressSanitizer+UBSan (build-asan) and under
# ThreadSanitizer (build-tsan) and runs the whole test suite in each.
#   scripts/sanitize.sh [asan|tsan|all]
# TARGETS="a b" builds only those targets; TESTS=regex runs only matching tests;
# ASAN_DIR / TSAN_DIR choose other build directories.
#
# The asan build includes the Qt front end and its tests (offscreen). The
# distribution's Qt and font libraries are not instrumented; leaks that are
# allocated inside them (their process-lifetime caches) are silenced through
# scripts/lsan.supp, which never names code of ours. The tsan build leaves the
# front end out: Qt is not instrumented for TSan, so its own threads and
# atomics would only produce reports TSan cannot reason about.
# TARGETS also drops the placeholder tests of programs that were not built.
set -euo pipefail
cd "$(dirname "$0")/.."

which=${1:-all}
jobs=${JOBS:-2}

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/scripts/lsan.supp:print_suppressions=0}

launcher=()
if command -v ccache >/dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi

run() {
  local dir=$1 flags=$2 gui=$3
  # The sanitizers check every access themselves; the fortified forms of the
  # buffer functions would only hide some of them from their interceptors.
  cmake -S . -B "$dir" -G Ninja -DPELLAR_BUILD_GUI="$gui" -DPELLAR_BUILD_BENCH=OFF "${launcher[@]}" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPELLAR_HARDENING=OFF \
    -DCMAKE_CXX_FLAGS="$flags -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags"
  if [ -n "${TARGETS:-}" ]; then
    # shellcheck disable=SC2086
    cmake --build "$dir" -j "$jobs" --target $TARGETS
  else
    cmake --build "$dir" -j "$jobs"
  fi
  local filter=()
  if [ -n "${TESTS:-}" ]; then
    filter=(-R "$TESTS")
  fi
  if [ -n "${TARGETS:-}" ]; then
    # Programs left out of a partial build register a placeholder test, and
    # the Qt test programs are left out unless one of them was asked for.
    local skip="_NOT_BUILT$"
    case " $TARGETS " in
      *" gui_"*) ;;
      *) skip="$skip|^gui_" ;;
    esac
    # Likewise the fuzz corpus replays (programs replay_<target>).
    case " $TARGETS " in
      *" replay_"*) ;;
      *) skip="$skip|^fuzz_corpus_" ;;
    esac
    filter+=(-E "$skip")
  fi
  QT_QPA_PLATFORM=offscreen \
    ctest --test-dir "$dir" --output-on-failure -j "$jobs" --timeout 300 "${filter[@]}"
}

case "$which" in
  asan|all) run "${ASAN_DIR:-build-asan}" "-fsanitize=address,undefined -fno-sanitize-recover=undefined" ON ;;
esac
case "$which" in
  tsan|all) run "${TSAN_DIR:-build-tsan}" "-fsanitize=thread" OFF ;;
esac
