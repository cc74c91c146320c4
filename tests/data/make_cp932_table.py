#!/usr/bin/env python3
"""Writes cp932_table.txt: every byte sequence of one or two bytes that
Python's own cp932 codec decodes, with the code point it gives. Used as an
independent reference for the decoder. Single bytes 0x80, 0xA0 and 0xFD-0xFF
are left out: Python maps them to private code points that are not
characters of the code page, and Pagelore refuses them."""
import pathlib

skip = {0x80, 0xA0, 0xFD, 0xFE, 0xFF}
lines = []
for b in range(0x100):
    if b in skip:
        continue
    try:
        lines.append("%02X %04X" % (b, ord(bytes([b]).decode("cp932"))))
    except UnicodeDecodeError:
        pass
for lead in list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD)):
    for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFD)):
        try:
            s = bytes([lead, trail]).decode("cp932")
        except UnicodeDecodeError:
            continue
        if len(s) == 1:
            lines.append("%02X%02X %04X" % (lead, trail, ord(s)))
out = pathlib.Path(__file__).with_name("cp932_table.txt")
out.write_text("\n".join(lines) + "\n")
