#!/usr/bin/env bash
# Brings every translations/pellar_<lang>.ts up to date with the texts in gui/
# (new texts arrive unfinished, removed ones are marked vanished), or starts
# one for a new language:
#   scripts/update-translations.sh          update every existing file
#   scripts/update-translations.sh sv       also start translations/pellar_sv.ts
# Then translate in Qt Linguist (linguist translations/pellar_<lang>.ts),
# remove the vanished entries and build: the .qm files are made by the build
# and compiled into the program. The test translations_complete fails while a
# file has an unfinished or vanished entry.
set -euo pipefail
cd "$(dirname "$0")/.."
lupdate=${LUPDATE:-$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)}
files=(translations/pellar_*.ts)
if [ $# -gt 0 ]; then
  files+=("translations/pellar_$1.ts")
fi
for ts in "${files[@]}"; do
  [ -e "$ts" ] || [ $# -gt 0 ] || continue
  lang=${ts#translations/pellar_}
  lang=${lang%.ts}
  # -locations none: line numbers would change the file at every edit.
  "$lupdate" -locations none -I . -recursive gui -target-language "$lang" -ts "$ts"
done
