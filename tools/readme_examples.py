#!/usr/bin/env python3
"""Runs the command-line walkthrough of README.md in the virtual lab, every
line exactly as written and in order, and compares what ostrel-cli prints
with the outputs the README shows (its ```console blocks, each "$ ostrel-cli
..." line followed by the output). Only time stamps may differ; a JSON
output is compared as data, so the README may lay it out compactly.

    sudo tools/readme_examples.py [--build DIR] [--update]

--update writes the outputs the programs gave into the README instead of
comparing them (after a change of the programs' output, then read the diff).
Exits 77 (skipped) without root or ip(8), as CTest expects."""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SKIP = 77
# What the walkthrough calls the program, and what the shown outputs call it.
ALIAS = "$C "
SHOWN = "ostrel-cli "
TIME = re.compile(r"\d{4}-\d\d-\d\d[T ]\d\d:\d\d:\d\d(\.\d+)?|\d\d:\d\d:\d\d(\.\d+)?")


def blocks(lines, language):
    """(first line index, lines) of each fenced block in that language."""
    found = []
    inside = None
    for number, line in enumerate(lines):
        if inside is None and line.strip() == "```" + language:
            inside = (number + 1, [])
        elif inside is not None and line.strip() == "```":
            found.append(inside)
            inside = None
        elif inside is not None:
            inside[1].append(line)
    return found


def walkthrough(lines):
    """The sh block that brings the lab up: the commands to run."""
    for _, block in blocks(lines, "sh"):
        if block and block[0].startswith("tools/lab.sh up"):
            return [line for line in block if line.strip() and not line.startswith("#")]
    sys.exit("README.md: no ```sh block that starts with tools/lab.sh up")


def shown_outputs(lines):
    """[(command after "ostrel-cli ", output lines, README line range)]."""
    shown = []
    for start, block in blocks(lines, "console"):
        current = None
        for offset, line in enumerate(block):
            if line.startswith("$ "):
                if current:
                    shown.append(current)
                if not line.startswith("$ " + SHOWN):
                    sys.exit(f"README.md:{start + offset + 1}: a shown command that is not "
                             f"ostrel-cli: {line}")
                first = start + offset + 1
                current = [line[2 + len(SHOWN):], [], (first, first)]
            elif current:
                current[1].append(line)
                current[2] = (current[2][0], start + offset + 1)
        if current:
            shown.append(current)
    return shown


def normal(text):
    text = TIME.sub("<time>", text)
    return "\n".join(line.rstrip() for line in text.strip("\n").split("\n"))


def same(expected, actual):
    try:
        return json.loads(expected) == json.loads(actual)
    except ValueError:
        return normal(expected) == normal(actual)


def run(commands, build, lab):
    """Each command's (status, stdout, stderr), run in one shell in a folder
    where tools/ and build/ are the checkout's and the build's."""
    work = tempfile.mkdtemp(prefix="ostrel-readme-")
    os.symlink(os.path.join(ROOT, "tools"), os.path.join(work, "tools"))
    os.symlink(os.path.abspath(build), os.path.join(work, "build"))
    script = ["set +e"]
    for number, command in enumerate(commands):
        script.append(f"{{\n{command}\n}} >.out{number} 2>.err{number} </dev/null")
        script.append(f"echo $? >.status{number}")
    # The outputs shown are English: the C locale, whatever the machine's.
    environment = dict(os.environ, OSTREL_LAB=lab, LC_ALL="C.UTF-8")
    environment.pop("OSTREL_CLI", None)
    try:
        subprocess.run(["bash", "-c", "\n".join(script)], cwd=work, env=environment, check=False)
        results = []
        for number in range(len(commands)):
            def read(name):
                with open(os.path.join(work, f".{name}{number}"), encoding="utf-8",
                          errors="replace") as file:
                    return file.read()
            results.append((int(read("status") or 1), read("out"), read("err")))
        return results
    finally:
        subprocess.run([os.path.join(ROOT, "tools", "lab.sh"), "down"], env=environment,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        shutil.rmtree(work, ignore_errors=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--update", action="store_true")
    arguments = parser.parse_args()
    if os.geteuid() != 0 or not shutil.which("ip"):
        print("skipped: the lab needs root and ip(8)")
        return SKIP

    readme = os.path.join(ROOT, "README.md")
    with open(readme, encoding="utf-8") as file:
        lines = file.read().split("\n")
    commands = walkthrough(lines)
    shown = shown_outputs(lines)
    results = run(commands, arguments.build, f"ost-readme-{os.getpid()}")

    failures = []
    for command, (status, out, err) in zip(commands, results):
        print(f"$ {command}  [exit {status}]")
        if status != 0:
            failures.append(f"{command}: exit {status}\n{out}{err}")
    # Each shown output belongs to the first walkthrough line that runs it
    # and has no shown output yet.
    replacements = []
    taken = set()
    for words, expected, (first, last) in shown:
        match = next((i for i, command in enumerate(commands)
                      if i not in taken and command == ALIAS + words), None)
        if match is None:
            failures.append(f"README.md:{first}: ostrel-cli {words}: the walkthrough does not "
                            f"run it")
            continue
        taken.add(match)
        actual = results[match][1]
        if arguments.update:
            try:
                actual = json.dumps(json.loads(actual), indent=4, ensure_ascii=False,
                                    sort_keys=True) + "\n"
            except ValueError:
                pass
            replacements.append((first, last, actual.rstrip("\n").split("\n")))
        elif not same("\n".join(expected), actual):
            failures.append(f"README.md:{first}: ostrel-cli {words}\n--- shown\n"
                            + "\n".join(expected) + "\n--- printed\n" + actual)

    if arguments.update:
        for first, last, output in reversed(replacements):
            lines[first:last] = output
        with open(readme, "w", encoding="utf-8") as file:
            file.write("\n".join(lines))
        print(f"updated {len(replacements)} outputs in README.md")
    for failure in failures:
        print("\nFAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
