#!/usr/bin/env python3
"""Fails when a shipped program imports a function that Windows 95 or NT 4.0
lacks. Such a program does not even start there: the loader refuses it
before the first line runs. Wine exports every function under every version
setting, so nothing else in the tests can notice.

The import tables are read with the cross toolchain's objdump -p. The list of
functions the two systems lack is lacking.txt beside this script; imports
that are known, reported and waiting for their owner's fix are listed in
pending.txt, which must shrink: an entry whose import is gone fails too, so
that it is removed with the fix.
"""
import argparse
import os
import subprocess
import sys


def read_table(path):
    """Rows of whitespace-separated words, without comments and blank lines;
    the words after the first `count` are kept together as a note."""
    rows = []
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if line:
                rows.append((number, line.split()))
    return rows


def imports_of(objdump, program):
    """{(dll in lower case, function name)} of a PE file; ordinal-only
    imports are named '#<ordinal>'."""
    text = subprocess.run([objdump, "-p", program], check=True, capture_output=True,
                          text=True, errors="replace").stdout
    found, dll = set(), None
    for line in text.splitlines():
        stripped = line.strip()
        if stripped.startswith("DLL Name:"):
            dll = stripped.split(":", 1)[1].strip().lower()
            continue
        if dll is None:
            continue
        if not stripped:
            dll = None
            continue
        words = stripped.split()
        if words[0] == "vma:":
            continue
        if len(words) >= 3:
            found.add((dll, words[2]))
        elif len(words) == 2:
            found.add((dll, "#" + words[1]))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--objdump", required=True)
    parser.add_argument("--lacking", required=True)
    parser.add_argument("--pending", required=True)
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()

    lacking = {}  # (dll, function or '*') -> which systems lack it, and what to use
    for number, words in read_table(args.lacking):
        if len(words) < 3:
            sys.exit(f"{args.lacking}:{number}: want DLL FUNCTION SYSTEMS [USE INSTEAD]")
        instead = "; use " + " ".join(words[3:]) if len(words) > 3 else ""
        lacking[(words[0].lower(), words[1])] = f"not on {words[2]}{instead}"

    pending = {}  # (program or '*', dll, function) -> line number
    for number, words in read_table(args.pending):
        if len(words) < 3:
            sys.exit(f"{args.pending}:{number}: want PROGRAM DLL FUNCTION")
        pending[(words[0].lower(), words[1].lower(), words[2])] = number

    failures, waiting, used_pending = [], [], set()
    for program in args.programs:
        name = os.path.basename(program)
        if not os.path.isfile(program):
            failures.append(f"{name}: not built ({program})")
            continue
        for dll, function in sorted(imports_of(args.objdump, program)):
            why = lacking.get((dll, function)) or lacking.get((dll, "*"))
            if why is None:
                continue
            line = f"{name}: {dll} {function} ({why})"
            candidates = [(prog, dll, func) for prog in (name.lower(), "*")
                          for func in (function, "*")]
            key = next((k for k in candidates if k in pending), None)
            if key:
                used_pending.add(key)
                waiting.append(line)
            else:
                failures.append(line)
    for key, number in sorted(pending.items(), key=lambda kv: kv[1]):
        if key not in used_pending:
            failures.append(f"{args.pending}:{number}: {' '.join(key)} is no longer imported: "
                            "remove the line")

    for line in waiting:
        print(f"pending (reported, not yet fixed): {line}")
    for line in failures:
        print(f"FAIL: {line}")
    checked = ", ".join(os.path.basename(p) for p in args.programs)
    print(f"{len(failures)} failures, {len(waiting)} pending, in {checked}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
