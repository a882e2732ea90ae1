#!/usr/bin/env bash
# One command: install what is needed, build, and run every fast test
# (core, server, integration against an in-process server, and the Qt
# windows on the offscreen platform). Benchmarks are built by bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# -O1 keeps the clean CI build short; benchmarks build with full optimisation.
./scripts/build.sh -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O1 -DNDEBUG" -DPELLAR_BUILD_BENCH=OFF "$@"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "${BUILD_DIR:-build}" --output-on-failure -j "$(nproc)" --timeout 180
