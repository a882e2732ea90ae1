#!/usr/bin/env python3
"""Fails when a translation is not complete: runs lupdate over gui/ on a copy
of every translations/pellar_<lang>.ts and reports each entry that is then
unfinished (a text of the program without its translation, also one added
since the file was last updated) or vanished/obsolete (a translation of a
text the program no longer has).
    check-translations.py <lupdate> <source dir>"""
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path


def main():
    lupdate, root = sys.argv[1], Path(sys.argv[2])
    files = sorted((root / "translations").glob("pellar_*.ts"))
    if not files:
        print("no translations/pellar_*.ts found")
        return 1
    problems = 0
    with tempfile.TemporaryDirectory() as tmp:
        for ts in files:
            copy = Path(tmp) / ts.name
            shutil.copy(ts, copy)
            subprocess.run([lupdate, "-silent", "-locations", "none", "-I", ".", "-recursive", "gui", "-ts", str(copy)],
                           cwd=root, check=True)
            count = 0
            for context in ET.parse(copy).getroot().iter("context"):
                name = context.findtext("name")
                for message in context.iter("message"):
                    count += 1
                    kind = message.find("translation").get("type")
                    if kind in ("unfinished", "vanished", "obsolete"):
                        problems += 1
                        print(f"{ts.name}: {kind}: {name}: {message.findtext('source')!r}")
            print(f"{ts.name}: {count} texts")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
