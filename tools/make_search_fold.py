#!/usr/bin/env python3
"""Writes the table of the search folding from the Unicode Character Database.

usage: make_search_fold.py UnicodeData.txt CaseFolding.txt OUT.cpp

How the filter box, type-to-find and --match see a character: full case
folding, the full compatibility decomposition, and no non-spacing or enclosing
marks (the accents), repeated until nothing changes. A Latin letter that has
no decomposition but whose name says it is another letter with something added
("LATIN SMALL LETTER O WITH STROKE", "LATIN CAPITAL LIGATURE OE") becomes that
letter, as the database names it. Hangul syllables stay whole.
"""
import re
import sys

unicode_data, case_folding, out_path = sys.argv[1:4]

names, categories, decompositions = {}, {}, {}
with open(unicode_data, encoding="utf-8") as f:
    for line in f:
        fields = line.rstrip("\n").split(";")
        code = int(fields[0], 16)
        names[code] = fields[1]
        categories[code] = fields[2]
        if fields[5]:
            parts = fields[5].split()
            if parts[0].startswith("<"):
                parts = parts[1:]  # a compatibility decomposition: taken as well
            decompositions[code] = [int(p, 16) for p in parts]

folding = {}
with open(case_folding, encoding="utf-8") as f:
    for line in f:
        line = line.split("#")[0].strip()
        if not line:
            continue
        code, status, mapping = [p.strip() for p in line.split(";")[:3]]
        if status in ("C", "F"):
            folding[int(code, 16)] = [int(p, 16) for p in mapping.split()]

LETTER = re.compile(r"^LATIN (?:SMALL|CAPITAL) (?:LETTER|LIGATURE) ([A-Z]{1,2})(?: WITH .*)?$")


def step(code):
    """One round of folding for one character."""
    if code in folding:
        return folding[code]
    if code in decompositions:
        return decompositions[code]
    if categories.get(code) in ("Mn", "Me"):
        return []
    match = LETTER.match(names.get(code, ""))
    if match and match.group(1).lower() != chr(code):
        return [ord(c) for c in match.group(1).lower()]
    return [code]


def fold(code):
    seq = [code]
    while True:
        nxt = [c for s in seq for c in step(s)]
        if nxt == seq:
            return seq
        seq = nxt


entries = []
for code in sorted(names):
    if code < 0x80 and not ("A" <= chr(code) <= "Z"):
        continue
    if 0xD800 <= code <= 0xDFFF:
        continue
    folded = fold(code)
    if folded != [code]:
        entries.append((code, "".join(chr(c) for c in folded).encode("utf-8")))

pool = bytearray()
rows = []
for code, text in entries:
    at = pool.find(text) if text else 0
    if at < 0:
        at = len(pool)
        pool += text
    rows.append(f"    {{0x{code:X}, {at}, {len(text)}}},")

with open(out_path, "w", encoding="utf-8") as out:
    out.write("// Made by tools/make_search_fold.py from the Unicode Character Database; not edited by hand.\n")
    out.write('#include "base/search_fold_table.h"\n\nnamespace pitbox::fold {\n\n')
    out.write("const char kPool[] =\n")
    for i in range(0, len(pool), 32):
        chunk = "".join(f"\\x{b:02x}" for b in pool[i:i + 32])
        out.write(f'    "{chunk}"\n')
    out.write(";\n\n")
    out.write(f"const Mapping kMappings[{len(rows)}] = {{\n")
    out.write("\n".join(rows))
    out.write("\n};\n\n")
    out.write(f"const std::size_t kMappingCount = {len(rows)};\n\n}}  // namespace pitbox::fold\n")
print(f"{len(rows)} characters folded, {len(pool)} bytes of folded text")
