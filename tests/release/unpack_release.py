#!/usr/bin/env python3
"""Checks the release zip and unpacks it for the test that starts it.

    unpack_release.py ZIP [FOLDER]

The zip must hold exactly the shipped files: Spruce.exe (and SpruceUp.exe and
ForceDel.dll once they are built), "version.dat" with the version and no line
end, and "읽어보기.txt" in CP949 with CR LF line ends. With FOLDER the files are
unpacked there (a new, empty folder). Exit status 1 with a reason on a fault.
"""
import os
import re
import sys
import zipfile

README = "읽어보기.txt"
REQUIRED = {"Spruce.exe", "version.dat", README}
OPTIONAL = {"SpruceUp.exe", "ForceDel.dll"}


def fail(reason):
    print(f"release package: {reason}", file=sys.stderr)
    sys.exit(1)


def main():
    if len(sys.argv) not in (2, 3):
        fail("usage: unpack_release.py ZIP [FOLDER]")
    path = sys.argv[1]
    match = re.search(r"Spruce-([0-9][0-9A-Za-z.\-]*)\.zip$", path)
    if not match:
        fail(f"{path}: not named Spruce-<version>.zip")
    version = match.group(1)
    with zipfile.ZipFile(path) as archive:
        names = set(archive.namelist())
        if not REQUIRED <= names:
            fail(f"missing {sorted(REQUIRED - names)}")
        if names - REQUIRED - OPTIONAL:
            fail(f"unexpected {sorted(names - REQUIRED - OPTIONAL)}")
        if archive.read("version.dat") != version.encode("ascii"):
            fail(f"version.dat holds {archive.read('version.dat')!r}, not {version!r}")
        readme = archive.read(README)
        try:
            text = readme.decode("cp949")
        except UnicodeDecodeError as error:
            fail(f"{README} is not CP949: {error}")
        if readme.count(b"\n") != readme.count(b"\r\n") or b"\r\n" not in readme:
            fail(f"{README} does not use CR LF line ends")
        if "Windows 95" not in text:
            fail(f"{README} does not say which Windows it needs")
        for name in names:
            if name.endswith((".exe", ".dll")) and archive.read(name)[:2] != b"MZ":
                fail(f"{name} is not a Windows program")
        if len(sys.argv) == 3:
            folder = sys.argv[2]
            os.makedirs(folder, exist_ok=True)
            if os.listdir(folder):
                fail(f"{folder} is not empty")
            archive.extractall(folder)
    print(f"release package: {path}: {len(names)} files, version {version}")


if __name__ == "__main__":
    main()
