#!/usr/bin/env bash
# Builds the Debian package: an optimised build of the two programs in
# build-package/, then CPack. The .deb lands in the source folder; install
# it with  sudo apt install ./pellar_<version>_<arch>.deb
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
BUILD_DIR=${BUILD_DIR:-build-package}
generator=()
if command -v ninja >/dev/null 2>&1 && [ ! -f "$BUILD_DIR/Makefile" ]; then
  generator=(-G Ninja)
fi
# Only the programs are built: installing must not wait for the tests.
cmake -S . -B "$BUILD_DIR" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DPELLAR_BUILD_BENCH=OFF \
  -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON "$@"
cmake --build "$BUILD_DIR" -j "$(nproc)" --target pellar miravod_exe
(cd "$BUILD_DIR" && cpack -G DEB)
deb=$(cd "$BUILD_DIR" && ls -t pellar_*.deb | head -1)
cp "$BUILD_DIR/$deb" .
echo "package: $deb"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
