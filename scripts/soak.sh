#!/usr/bin/env bash
# A soak run: miravod on a database file, honest sessions of the core client
# writing, reading, marking and messaging, while the server is killed and
# restarted, links are cut and other connections attack it. Prints what was
# acknowledged and lost (must be 0), the longest freeze of an honest request
# and the server's peak memory over idle; fails when a bound is passed. The
# attacks the server measures its defence against print figures of their own
# beside those: a broadcast flood (refused past its rate, honest messages
# still arrive), 20 addresses guessing a password while its owner logs on,
# half-closed links (every reply arrives), half-finished TLS handshakes.
#   scripts/soak.sh [minutes]          default 15
# BUILD_DIR (default build-bench, Release), SESSIONS (6), RESTART_EVERY
# seconds (60), FREEZE_MS (250: any request but a logon), LOGON_MS (2000: a
# logon or account creation, which hash a password), RSS_MB over idle (100),
# OWNER_LOGON_MS (1000: the owner's logon while others guess), TLS (1: serve
# TLS too), TLS_MS (1000: an honest TLS greeting beside half-finished
# handshakes), TLS_KB (16: server memory per half-finished handshake).
set -euo pipefail
cd "$(dirname "$0")/.."

minutes=${1:-15}
dir=${BUILD_DIR:-build-bench}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}

if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DPELLAR_BUILD_BENCH=ON -DPELLAR_BUILD_GUI=OFF
fi
cmake --build "$dir" -j "${JOBS:-2}" --target miravod_exe SoakDriver

db=$(mktemp -d)/soak.db
trap 'rm -rf "$(dirname "$db")"' EXIT
"$dir/bench/SoakDriver" --miravod "$dir/server/miravod" --db "$db" --minutes "$minutes" \
  --sessions "${SESSIONS:-6}" --restart-every "${RESTART_EVERY:-60}" \
  --freeze-ms "${FREEZE_MS:-250}" --logon-ms "${LOGON_MS:-2000}" --rss-over-idle-mb "${RSS_MB:-100}" \
  --owner-logon-ms "${OWNER_LOGON_MS:-1000}" --tls "${TLS:-1}" --tls-ms "${TLS_MS:-1000}" \
  --tls-kb-per-link "${TLS_KB:-16}"
