#!/usr/bin/env python3
"""Writes the simple case-folding table (statuses C and S of CaseFolding.txt) as a C++ include.

Usage: case_folding_table.py CaseFolding.txt OUTPUT.inc
Each row is {code point, folded code point}, sorted by code point, for a binary search.
"""
import sys


def main(source, output):
    pairs = []
    with open(source, encoding="utf-8") as lines:
        for line in lines:
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = [field.strip() for field in line.split(";")]
            if fields[1] not in ("C", "S"):
                continue
            pairs.append((int(fields[0], 16), int(fields[2], 16)))
    if not pairs:
        sys.exit(f"{source}: no simple case foldings found")
    pairs.sort()
    rows = "".join(f"    {{0x{a:04X}, 0x{b:04X}}},\n" for a, b in pairs)
    text = f"// Generated from {source}; do not edit.\n{rows}"
    try:
        with open(output, encoding="utf-8") as old:
            if old.read() == text:
                return  # unchanged: keep the time stamp, so nothing rebuilds
    except FileNotFoundError:
        pass
    with open(output, "w", encoding="utf-8") as out:
        out.write(text)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
