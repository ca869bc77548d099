#!/usr/bin/env python3
"""Writes the terminal display-width tables as a C++ include.

Usage: display_width_table.py EastAsianWidth.txt UnicodeData.txt OUTPUT.inc
kWide holds the East Asian wide (W) and fullwidth (F) code points, with the unassigned ones that
default to wide; kZeroWidth the combining marks (Mn, Me) and format characters (Cf). Each is a list
of {first, last} ranges, sorted and merged, for a binary search.
"""
import sys

# Unassigned code points here default to W (the header of EastAsianWidth.txt).
WIDE_DEFAULTS = [(0x3400, 0x4DBF), (0x4E00, 0x9FFF), (0xF900, 0xFAFF),
                 (0x20000, 0x2FFFD), (0x30000, 0x3FFFD)]


def data_lines(source):
    with open(source, encoding="utf-8") as lines:
        for line in lines:
            line = line.split("#", 1)[0].strip()
            if line:
                yield [field.strip() for field in line.split(";")]


def code_range(text):
    first, _, last = text.partition("..")
    return int(first, 16), int(last or first, 16)


def wide_ranges(source):
    ranges = [code_range(f[0]) for f in data_lines(source) if f[1] in ("W", "F")]
    if not ranges:
        sys.exit(f"{source}: no wide characters found")
    return ranges + WIDE_DEFAULTS


def zero_width_ranges(source):
    ranges, first = [], None
    for fields in data_lines(source):
        code = int(fields[0], 16)
        if fields[1].endswith(", First>"):
            first = code
            continue
        start, first = (first if fields[1].endswith(", Last>") else code), None
        if fields[2] in ("Mn", "Me", "Cf"):
            ranges.append((start, code))
    if not ranges:
        sys.exit(f"{source}: no combining marks found")
    return ranges


def merged(ranges):
    out = []
    for first, last in sorted(ranges):
        if out and first <= out[-1][1] + 1:
            out[-1] = (out[-1][0], max(out[-1][1], last))
        else:
            out.append((first, last))
    return out


def table(name, ranges):
    rows = "".join(f"    {{0x{a:04X}, 0x{b:04X}}},\n" for a, b in merged(ranges))
    return f"constexpr Range {name}[] = {{\n{rows}}};\n"


def main(widths, data, output):
    text = (f"// Generated from {widths} and {data}; do not edit.\n"
            + table("kWide", wide_ranges(widths)) + table("kZeroWidth", zero_width_ranges(data)))
    try:
        with open(output, encoding="utf-8") as old:
            if old.read() == text:
                return  # unchanged: keep the time stamp, so nothing rebuilds
    except FileNotFoundError:
        pass
    with open(output, "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2], sys.argv[3])
