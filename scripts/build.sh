#!/usr/bin/env bash
# Configures and builds Pellar into build/ (incremental after the first run).
# Extra arguments go to the CMake configure step, e.g. -DPELLAR_BUILD_GUI=OFF.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR=${BUILD_DIR:-build}
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$BUILD_DIR/Makefile" ]; then
  generator=(-G Ninja)
fi
cmake -S . -B "$BUILD_DIR" "${generator[@]}" "$@"
cmake --build "$BUILD_DIR" -j "$(nproc)"
