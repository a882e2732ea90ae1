#!/usr/bin/env bash
# One command: install what is needed, build, and start Pellar connected to
# the embedded demo server. Arguments are passed on to the program.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
./scripts/build.sh
BUILD_DIR=${BUILD_DIR:-build}
if [ -x "$BUILD_DIR/gui/pellar" ]; then
  exec "$BUILD_DIR/gui/pellar" --demo "$@"
fi
# Without the front end, start the demo server on its own.
exec "$BUILD_DIR/server/miravod" --demo "$@"
