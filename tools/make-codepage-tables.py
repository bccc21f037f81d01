#!/usr/bin/python3
"""Makes the tables of the single-byte code pages the attribute reader
decodes, from Python's own codecs on the build machine (Debian's python3).

Usage: make-codepage-tables.py OUTPUT.cpp

For each code page, the Unicode code point of each byte from 0x80 to 0xFF
(the lower half is ASCII in all of them); a byte the code page leaves
undefined decodes to U+FFFD. OUTPUT.cpp defines the array that
core/shape/CodePageTables.h declares.
"""
import sys

# Windows code page number -> Python codec name.
CODE_PAGES = [
    (437, "cp437"),
    (850, "cp850"),
    (852, "cp852"),
    (866, "cp866"),
    (1250, "cp1250"),
    (1251, "cp1251"),
    (1252, "cp1252"),
    (1253, "cp1253"),
    (1254, "cp1254"),
    (28591, "latin_1"),
]


def upper_half(codec):
    points = []
    for byte in range(0x80, 0x100):
        text = bytes([byte]).decode(codec, errors="replace")
        assert len(text) == 1 and ord(text) <= 0xFFFF
        points.append(ord(text))
    return points


def main(out_path):
    lines = [
        "// Made by tools/make-codepage-tables.py from Python's codecs; do not edit.",
        '#include "core/shape/CodePageTables.h"',
        "",
        "const CCodePageTable g_codePageTables[] = {",
    ]
    for number, codec in CODE_PAGES:
        for byte in range(0x80):
            assert bytes([byte]).decode(codec) == chr(byte), (codec, byte)
        points = upper_half(codec)
        lines.append("    {%d, {" % number)
        for row in range(0, 128, 8):
            lines.append("        " + " ".join("0x%04X," % p for p in points[row : row + 8]))
        lines.append("    }},")
    lines.append("};")
    lines.append("const int g_nCodePageTables = %d;" % len(CODE_PAGES))
    with open(out_path, "w", encoding="ascii", newline="\n") as out:
        out.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
