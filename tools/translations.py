#!/usr/bin/env python3
"""Keeps translations/*.ts in step with the sources.

  translations.py update [--lupdate PATH]
      rescans the sources with lupdate: new texts appear unfinished, texts
      gone from the sources are dropped. Then translate them in Qt Linguist
      (or by editing the .ts file) and commit.
  translations.py check [--lupdate PATH] [--lrelease PATH]
      fails when a rescan would change a .ts file (a text not yet in it, or
      one no longer in the sources) or when an entry is unfinished.
"""
import argparse
import pathlib
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

ROOT = pathlib.Path(__file__).resolve().parent.parent
# Every folder whose programs show text to a person.
SOURCES = ["app", "ui", "core", "net", "cli", "sim", "bridge"]
TS_FILES = sorted((ROOT / "translations").glob("ostrel_*.ts"))


def tool(name, given):
    if given:
        return given
    found = shutil.which(name) or shutil.which(name + "6")
    for candidate in (found, f"/usr/lib/qt6/bin/{name}"):
        if candidate and pathlib.Path(candidate).exists():
            return candidate
    sys.exit(f"{name} not found: install qt6-l10n-tools")


def lupdate(program, ts_files):
    # No source locations: line numbers would change the files on every edit.
    subprocess.run([program, "-silent", "-locations", "none", "-no-obsolete",
                    *[str(ROOT / s) for s in SOURCES], "-ts", *map(str, ts_files)],
                   check=True, cwd=ROOT)


def unfinished(ts_file):
    problems = []
    for context in ET.parse(ts_file).getroot().iter("context"):
        name = context.findtext("name")
        for message in context.iter("message"):
            translation = message.find("translation")
            kind = translation.get("type") if translation is not None else "missing"
            if kind in ("unfinished", "obsolete", "vanished", "missing"):
                problems.append(f"{ts_file.name}: {name}: {kind}: {message.findtext('source')!r}")
    return problems


def check(args):
    failures = []
    with tempfile.TemporaryDirectory() as folder:
        copies = []
        for ts in TS_FILES:
            copy = pathlib.Path(folder) / ts.name
            shutil.copy(ts, copy)
            copies.append(copy)
        lupdate(tool("lupdate", args.lupdate), copies)
        for ts, copy in zip(TS_FILES, copies):
            if ts.read_bytes() != copy.read_bytes():
                failures.append(f"{ts.name}: out of step with the sources; "
                                "run tools/translations.py update and translate")
            failures += unfinished(copy)
        for copy in copies:
            report = subprocess.run([tool("lrelease", args.lrelease), str(copy),
                                     "-qm", str(copy.with_suffix(".qm"))],
                                    check=True, capture_output=True, text=True).stdout
            print(report.strip())
    for line in failures:
        print(line)
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("action", choices=["update", "check"])
    parser.add_argument("--lupdate")
    parser.add_argument("--lrelease")
    args = parser.parse_args()
    if args.action == "update":
        lupdate(tool("lupdate", args.lupdate), TS_FILES)
        for line in unfinished_all():
            print(line)
        return 0
    return check(args)


def unfinished_all():
    return [line for ts in TS_FILES for line in unfinished(ts)]


if __name__ == "__main__":
    sys.exit(main())
