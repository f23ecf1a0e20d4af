#!/usr/bin/env python3
"""Reads a DXF file the way a CAD program does, with ezdxf, and checks it against what the
C++ test expects of it.

    dxf_check.py FILE.dxf EXPECTED.json

EXPECTED.json holds
  "layers": {layer name: entities on it, in model space and block contents together},
  "texts" (optional): the strings the file's texts must show. Texts cut into pieces along
      one baseline are joined again, so each entry is one text of the sheet.

The file must read as Release 12 in Windows-1252, and ezdxf's audit must find nothing to
report and nothing to fix. Exits 0 when everything holds, 1 with one line per problem
otherwise, 2 when the arguments are wrong.
"""
import collections
import json
import re
import sys

import ezdxf

# What a TEXT value shows, by the rules AutoCAD reads it with: \U+XXXX is a character,
# "%%%" a percent sign, %%c, %%d and %%p the diameter, degree and plus-minus signs, %%u,
# %%o and %%k switch underline, overline and strike-through, "^ " is a caret and "^X" a
# control character. ezdxf leaves these in the value.
TOKEN = re.compile(r"\\U\+([0-9A-F]{4})|%%(%|[cdpuok])|\^(.)|(.)", re.IGNORECASE | re.DOTALL)
CONTROL_CODES = {"c": "\u00d8", "d": "\u00b0", "p": "\u00b1", "%": "%", "u": "", "o": "", "k": ""}


def shown(value):
    out = []
    for unicode, code, caret, plain in TOKEN.findall(value):
        if unicode:
            out.append(chr(int(unicode, 16)))
        elif code:
            out.append(CONTROL_CODES[code.lower()])
        elif caret:
            out.append("^" if caret == " " else chr(ord(caret) & 0x1F))
        else:
            out.append(plain)
    return "".join(out)


def entities(doc):
    """Model space and the contents of every block, as a CAD program lists them."""
    yield from doc.modelspace()
    for block in doc.blocks:
        if not block.name.startswith("*"):  # *Model_Space and *Paper_Space
            yield from block


def shown_texts(doc):
    """The texts of the file, pieces on one baseline joined in their order along it."""
    lines = collections.defaultdict(list)
    for entity in entities(doc):
        if entity.dxftype() == "TEXT":
            insert = entity.dxf.insert
            key = (entity.dxf.layer, round(insert.y, 6), round(entity.dxf.rotation, 6))
            lines[key].append((insert.x, shown(entity.dxf.text)))
    return sorted("".join(text for _, text in sorted(pieces)) for pieces in lines.values())


def check(path, expected):
    problems = []
    doc = ezdxf.readfile(path)
    if doc.dxfversion != "AC1009":
        problems.append(f"version {doc.dxfversion}, expected AC1009")
    if doc.encoding != "cp1252":
        problems.append(f"code page {doc.encoding}, expected cp1252")

    auditor = doc.audit()
    for error in auditor.errors:
        problems.append(f"audit error {error.code}: {error.message}")
    for fix in auditor.fixes:
        problems.append(f"audit fix {fix.code}: {fix.message}")

    counts = collections.Counter(entity.dxf.layer for entity in entities(doc))
    wanted = expected["layers"]
    for layer in sorted(set(counts) | set(wanted)):
        if counts.get(layer, 0) != wanted.get(layer, 0):
            problems.append(f"layer {layer}: {counts.get(layer, 0)} entities, expected {wanted.get(layer, 0)}")
    for layer in wanted:
        if layer not in doc.layers:
            problems.append(f"layer {layer} is not in the layer table")

    if "texts" in expected:
        found = shown_texts(doc)
        for text in sorted(set(found) ^ set(expected["texts"])):
            where = "in the file only" if text in found else "missing"
            problems.append(f"text {text[:80]!r}{'...' if len(text) > 80 else ''} ({len(text)} characters): {where}")
    return problems


def main(argv):
    if len(argv) != 3:
        print("usage: dxf_check.py FILE.dxf EXPECTED.json", file=sys.stderr)
        return 2
    with open(argv[2], encoding="utf-8") as file:
        expected = json.load(file)
    problems = check(argv[1], expected)
    for problem in problems:
        print(f"{argv[1]}: {problem}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
