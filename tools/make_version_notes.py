#!/usr/bin/env python3
"""Writes the small library files the version-note reader is tested and fuzzed with.

Each is an ELF file with no code: a header, one note section holding our version note (after a
GNU build-id note in two of them) and the section-name table. They cover the 64-bit and 32-bit
classes and both byte orders.
usage: make_version_notes.py OUTDIR
"""
import os
import struct
import sys

SHSTRTAB = b"\0.note.cvl.version\0.shstrtab\0"


def note(end, name, ntype, desc):
    padded = name + b"\0" * (-len(name) % 4)
    return struct.pack(end + "III", len(name), len(desc), ntype) + padded + desc + b"\0" * (-len(desc) % 4)


def version_note(end, parts, text):
    desc = struct.pack(end + "4H", *parts) + text.encode().ljust(32, b"\0")
    return note(end, b"Corvalen\0", 1, desc)


def elf(wide, end, machine, notes):
    ehsize, shentsize = (64, 64) if wide else (52, 40)
    body = notes
    strtab_off = ehsize + len(body)
    shoff = strtab_off + len(SHSTRTAB)
    shoff += -shoff % 8
    ident = b"\x7fELF" + bytes([2 if wide else 1, 2 if end == ">" else 1, 1]) + b"\0" * 9
    addr = "Q" if wide else "I"
    header = ident + struct.pack(end + "HHI" + addr * 3 + "IHHHHHH", 3, machine, 1, 0, 0, shoff, 0,
                                 ehsize, 0, 0, shentsize, 3, 2)

    def section(name, stype, offset, size, align):
        if wide:
            return struct.pack(end + "IIQQQQIIQQ", name, stype, 0, 0, offset, size, 0, 0, align, 0)
        return struct.pack(end + "IIIIIIIIII", name, stype, 0, 0, offset, size, 0, 0, align, 0)

    out = header + body + SHSTRTAB
    out += b"\0" * (shoff - len(out))
    out += b"\0" * shentsize
    out += section(1, 7, ehsize, len(body), 4)
    out += section(0x13, 3, strtab_off, len(SHSTRTAB), 1)
    return out


def main():
    outdir = sys.argv[1]
    os.makedirs(outdir, exist_ok=True)
    build_id = lambda end: note(end, b"GNU\0", 3, b"\x01\x02\x03\x04")
    files = {
        "version_note.so": elf(True, "<", 0x3E, version_note("<", (2, 1, 0, 7), "2.1.0.7")),
        "version_note32.so": elf(False, "<", 3, build_id("<") + version_note("<", (3, 4, 5, 6), "3.4.5.6")),
        "version_note_be.so": elf(True, ">", 0x3E, build_id(">") + version_note(">", (3, 4, 5, 6), "3.4.5.6")),
    }
    for name, data in files.items():
        with open(os.path.join(outdir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
