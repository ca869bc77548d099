#!/usr/bin/env python3
"""Writes a gettext catalog (.po) as a C++ include, for a program that reads no .mo files.

Usage: catalog_table.py CATALOG.po OUTPUT.inc
The include holds kCatalog, {english, translation} pairs sorted by the English text (byte order,
as strcmp compares), for a binary search. Untranslated and fuzzy entries are left out.
"""
import sys


def unquote(text):
    """The value of one C-style string literal of a .po file."""
    out, i = [], 1
    escapes = {"n": "\n", "t": "\t", '"': '"', "\\": "\\"}
    while i < len(text) - 1:
        if text[i] == "\\":
            out.append(escapes[text[i + 1]])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def entries(path):
    msgid = msgstr = None
    fuzzy = marked = False
    field = None
    with open(path, encoding="utf-8") as lines:
        for line in list(lines) + [""]:
            line = line.strip()
            if not line:
                if msgid and msgstr and not fuzzy:
                    yield msgid, msgstr
                msgid = msgstr = field = None
                fuzzy = marked = False
            elif line.startswith("#,"):
                marked = marked or "fuzzy" in line
            elif line.startswith("#"):
                continue
            elif line.startswith("msgid "):
                # An entry may follow the last without a blank line.
                if msgid and msgstr and not fuzzy:
                    yield msgid, msgstr
                fuzzy, marked = marked, False
                field, msgid, msgstr = "id", unquote(line[6:]), None
            elif line.startswith("msgstr "):
                field, msgstr = "str", unquote(line[7:])
            elif line.startswith('"'):
                if field == "id":
                    msgid += unquote(line)
                else:
                    msgstr += unquote(line)


def literal(text):
    out = []
    for ch in text:
        if ch in '"\\':
            out.append("\\" + ch)
        elif ch == "\n":
            out.append("\\n")
        elif ord(ch) < 0x20:
            out.append("\\%03o" % ord(ch))
        else:
            out.append(ch)
    return '"' + "".join(out) + '"'


def main(source, output):
    pairs = sorted(entries(source), key=lambda pair: pair[0].encode("utf-8"))
    with open(output, "w", encoding="utf-8") as out:
        out.write("// Generated from %s; do not edit.\n" % source.replace("\\", "/").split("/")[-1])
        out.write("constexpr CatalogEntry kCatalog[] = {\n")
        for english, translation in pairs:
            out.write("    {%s,\n     %s},\n" % (literal(english), literal(translation)))
        out.write("};\n")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
