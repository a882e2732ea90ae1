#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks what Debian asks
# of every package: the copyright file, the changelog, compressed manual
# pages, and, when lintian is installed, no error from it; in a hardened build
# (PELLAR_HARDENING) no hardening note either. Lintian's other warnings and
# notes are printed. Exit 77 when a tool it needs is missing.
# Usage: check_package.sh BUILD_DIR [CPACK] [CMAKE]
set -euo pipefail

build="$1"
cpack="${2:-cpack}"
cmake="${3:-cmake}"
for tool in dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null || { echo "SKIPPED: not installed: $tool"; exit 77; }
done
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The package's files are what the build installs (stripped, as CPack strips
# them), packed with the project's own CPack settings. Installing from the
# build rather than through CPack's own install step keeps a partial build
# from being finished first.
"$cmake" --install "$build" --prefix "$out/stage/usr" --strip >/dev/null
cat >"$out/config.cmake" <<CONFIG
include("$build/CPackConfig.cmake")
unset(CPACK_INSTALL_CMAKE_PROJECTS)
set(CPACK_INSTALLED_DIRECTORIES "$out/stage/usr;usr")
CONFIG
"$cpack" --config "$out/config.cmake" -G DEB -B "$out/deb" >"$out/cpack.log" 2>&1 ||
  { cat "$out/cpack.log"; echo "FAIL: cpack"; exit 1; }
deb="$(ls "$out"/deb/pellar_*.deb 2>/dev/null | head -1)"
[ -n "$deb" ] || { cat "$out/cpack.log"; echo "FAIL: no package made"; exit 1; }

# Spell checking loads the Hunspell library and wants a dictionary.
dpkg-deb -f "$deb" Depends | grep -q 'libhunspell' || fail "no dependency on the Hunspell library"
dpkg-deb -f "$deb" Recommends | grep -q 'hunspell-dictionary' || fail "no spelling dictionary recommended"

listing="$(dpkg-deb -c "$deb" | awk '{print $6}')"
for file in ./usr/share/doc/pellar/copyright ./usr/share/doc/pellar/changelog.gz \
            ./usr/share/man/man1/pellar.1.gz ./usr/share/man/man1/miravod.1.gz ./usr/bin/pellar ./usr/bin/miravod; do
  printf '%s\n' "$listing" | grep -qx "$file" || fail "not in the package: $file"
done
printf '%s\n' "$listing" | grep -E '^\./usr/share/man/.*\.[0-9]$' && fail "an uncompressed manual page"
# A native package's changelog names the package and its version first.
version="$(dpkg-deb -f "$deb" Version)"
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/pellar/changelog.gz | gzip -dc | head -1 |
  grep -q "^pellar ($version) " || fail "the changelog does not start with version $version"

if ! command -v lintian >/dev/null; then
  [ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
  echo "SKIPPED: not installed: lintian (the package's files are right)"
  exit 77
fi
report="$(lintian --tag-display-limit 0 -I "$deb" 2>&1 | grep -v 'root privileges' || true)"
[ -n "$report" ] && printf '%s\n' "$report"
printf '%s\n' "$report" | grep -q '^E: ' && fail "lintian reports errors"
if grep -q '^PELLAR_HARDENING:BOOL=ON' "$build/CMakeCache.txt"; then
  printf '%s\n' "$report" | grep -q ': hardening-' && fail "a hardened build is not hardened in the package"
fi

if [ "$failures" -ne 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "package complete: $(basename "$deb")"
