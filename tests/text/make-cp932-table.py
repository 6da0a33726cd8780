#!/usr/bin/env python3
"""Writes cp932-table.txt: code page 932 as this Linux system's iconv ("CP932") converts it.

Run once on Linux (python3 make-cp932-table.py > cp932-table.txt); the text tests hold the
converter of every platform to this table. Each line: the code in hex, TAB, the character
(hex UTF-16), and, when the character encodes back to another code (duplicates of the
NEC and IBM rows), TAB and that code. Codes that are not listed are no character.
"""
import subprocess


def iconv(data, src, dst):
    r = subprocess.run(["iconv", "-f", src, "-t", dst], input=data, capture_output=True)
    return r.stdout if r.returncode == 0 else None


def codes():
    for b in range(0x100):
        if not (0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC):
            yield bytes([b])
    for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
            yield bytes([lead, trail])


print("# Code page 932 as iconv's CP932 converts it (written by make-cp932-table.py).")
print("# code<TAB>UTF-16[<TAB>code the character encodes back to, when not this one]")
for code in codes():
    text = iconv(code, "CP932", "UTF-16BE")
    if text is None or len(text) != 2:
        continue
    back = iconv(text, "UTF-16BE", "CP932")
    line = "%s\t%s" % (code.hex().upper(), text.hex().upper())
    if back != code:
        line += "\t" + (back.hex().upper() if back else "-")
    print(line)
