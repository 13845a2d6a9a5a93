#!/usr/bin/env python3
"""Checks the setup program without running it (every host can do this; the
install itself is tested under Wine where 32-bit programs run).

    check_setup.py SETUP BUILD

SETUP is Spruce-<version>-setup.exe; BUILD the shipping build folder, whose
bin/ holds the shipped programs, symbols/ their debug information and
package/ "version.dat" and "읽어보기.txt". The setup must be a 32-bit Windows
program with a version resource of its version, and carry the shipped files
byte for byte; the programs must be stripped, with a debug link to their
debug information. Exit status 1 with the reasons on a fault.
"""
import lzma
import os
import re
import struct
import subprocess
import sys

PROGRAMS = ("Spruce.exe", "SpruceUp.exe", "ForceDel.dll")
OBJDUMP = "i686-w64-mingw32-objdump"
faults = []


def fault(reason):
    faults.append(reason)


def pe_sections(image):
    """(machine, optional header magic, symbol count, {name: (rva, size, offset)})
    of a PE image; section names are the 8-byte ones of the section table."""
    if image[:2] != b"MZ":
        return None
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        return None
    machine, count, _, _, symbols, optional_size = struct.unpack_from("<HHIIIH", image, pe + 4)
    magic = struct.unpack_from("<H", image, pe + 24)[0]
    sections = {}
    table = pe + 24 + optional_size
    for i in range(count):
        name, _, rva, size, offset = struct.unpack_from("<8sIIII", image, table + 40 * i)
        sections[name.rstrip(b"\0").decode("latin-1")] = (rva, size, offset)
    return machine, magic, symbols, sections


def version_resource(image, sections):
    """The bytes of the first RT_VERSION resource, or None."""
    if ".rsrc" not in sections:
        return None
    base_rva, _, base = sections[".rsrc"]

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", image, base + offset + 12)
        for i in range(named + numbered):
            yield struct.unpack_from("<II", image, base + offset + 16 + 8 * i)

    for ident, target in entries(0):
        if ident == 16 and target & 0x80000000:
            node = target & 0x7FFFFFFF
            while True:
                _, target = next(entries(node))
                if not target & 0x80000000:
                    break
                node = target & 0x7FFFFFFF
            rva, size = struct.unpack_from("<II", image, base + target)
            start = base + rva - base_rva
            return image[start:start + size]
    return None


def nsis_payload(image):
    """The decompressed data of an NSIS installer made with solid LZMA: its
    header followed by every file it installs."""
    signature = image.find(b"\xef\xbe\xad\xdeNullsoftInst")
    if signature < 4:
        return None
    total = struct.unpack_from("<I", image, signature + 20)[0]
    start = signature + 24
    props, dict_size = image[start], struct.unpack_from("<I", image, start + 1)[0]
    lzma1 = {"id": lzma.FILTER_LZMA1, "dict_size": dict_size,
             "lc": props % 9, "lp": props // 9 % 5, "pb": props // 45}
    decompressor = lzma.LZMADecompressor(format=lzma.FORMAT_RAW, filters=[lzma1])
    try:
        return decompressor.decompress(image[start + 5:signature - 4 + total])
    except lzma.LZMAError:
        return None


def check_stripped(build, name):
    program = os.path.join(build, "bin", name)
    listing = subprocess.run([OBJDUMP, "-h", program], check=True, capture_output=True,
                             text=True).stdout
    names = re.findall(r"^\s*\d+\s+(\S+)", listing, re.MULTILINE)
    if any(n.startswith(".debug") for n in names):
        fault(f"{name} still carries debug sections")
    if ".gnu_debuglink" not in names:
        fault(f"{name} has no debug link")
    symbols = os.path.join(build, "symbols", name + ".debug")
    if not os.path.exists(symbols):
        fault(f"{name}: no {symbols}")
        return
    listing = subprocess.run([OBJDUMP, "-h", symbols], check=True, capture_output=True,
                             text=True).stdout
    if ".debug_line" not in listing:
        fault(f"{symbols} holds no line information")


def main():
    if len(sys.argv) != 3:
        fault("usage: check_setup.py SETUP BUILD")
        return
    setup, build = sys.argv[1:]
    match = re.search(r"Spruce-([0-9][0-9A-Za-z.\-]*)-setup\.exe$", setup)
    if not match:
        fault(f"{setup}: not named Spruce-<version>-setup.exe")
        return
    version = match.group(1)
    package = os.path.join(build, "package")
    with open(os.path.join(package, "version.dat"), "rb") as f:
        if f.read() != version.encode("ascii"):
            fault(f"{setup} is not named after the built version")
    with open(setup, "rb") as f:
        image = f.read()
    pe = pe_sections(image)
    if pe is None:
        fault(f"{setup} is not a Windows program")
        return
    machine, magic, _, sections = pe
    if machine != 0x14C or magic != 0x10B:
        fault(f"{setup} is not a 32-bit (i386) program")
    block = version_resource(image, sections)
    if block is None:
        fault(f"{setup} has no version resource")
    else:
        text = block.decode("utf-16-le", errors="replace")
        for key, value in (("FileVersion", version), ("ProductVersion", version),
                           ("ProductName", "스프루스(Spruce)")):
            if not re.search(key + "\0+" + re.escape(value) + "\0", text):
                fault(f"{setup}: version resource lacks {key} {value}")

    payload = nsis_payload(image)
    if payload is None:
        fault(f"{setup}: its files cannot be read (not a solid LZMA NSIS installer)")
        return
    for folder, name in [("bin", p) for p in PROGRAMS] + [("package", "version.dat"),
                                                          ("package", "읽어보기.txt")]:
        with open(os.path.join(build, folder, name), "rb") as f:
            if f.read() not in payload:
                fault(f"{setup} does not hold the built {name}")
    for name in PROGRAMS:
        check_stripped(build, name)
    if not faults:
        print(f"setup program: {setup}: {len(image)} bytes, version {version}, "
              f"holds the stripped programs")


if __name__ == "__main__":
    main()
    for reason in faults:
        print(f"setup program: {reason}", file=sys.stderr)
    sys.exit(1 if faults else 0)
