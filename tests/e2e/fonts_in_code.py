#!/usr/bin/env python3
"""Writes a real font inside real machine code and prints where the font lies.

    fonts_in_code.py OUTPUT

The code is the .text section of /usr/bin/bash; the font is a console font of the
console-setup-linux package, 16 x 32 glyphs (rows of 2 bytes), as a run that starts with a glyph
whose top row has ink (a vertical bar), so that where the picture begins is plain to see. The
start matches the first font of tests/support/embedded_pictures.h:

    6000 bytes of code, the font, 20000 bytes of code

Prints "START WIDTH END".
"""
import gzip
import struct
import sys

CODE_FILE = "/usr/bin/bash"
WIDE_FONT = "/usr/share/consolefonts/Lat15-Terminus32x16.psf.gz"


def elf_text(path):
    d = open(path, "rb").read()
    if d[:6] != b"\x7fELF\x02\x01":
        sys.exit("%s is not a 64-bit little-endian ELF file" % path)
    sections = struct.unpack_from("<Q", d, 0x28)[0]
    entry_size, count, names_index = struct.unpack_from("<HHH", d, 0x3A)
    names = struct.unpack_from("<Q", d, sections + names_index * entry_size + 0x18)[0]
    for i in range(count):
        at = sections + i * entry_size
        name = names + struct.unpack_from("<I", d, at)[0]
        if d[name:name + 6] == b".text\0":
            offset, size = struct.unpack_from("<QQ", d, at + 0x18)
            return d[offset:offset + size]
    sys.exit("no .text section in %s" % path)


def read_psf(path):
    """(row bytes, height, glyph bitmaps as one bytes object)"""
    d = gzip.open(path).read()
    if d[:2] == b"\x36\x04":
        count = 512 if d[2] & 1 else 256
        return 1, d[3], d[4:4 + d[3] * count]
    magic, _, header, _, count, size, height, width = struct.unpack_from("<8I", d)
    if magic != 0x864AB572:
        sys.exit("%s is not a PSF font" % path)
    return (width + 7) // 8, height, d[header:header + size * count]


def glyphs_from(font, first):
    """The glyphs from `first` to the end of the font, then the printable ASCII ones."""
    row_bytes, height, bitmap = font
    size = row_bytes * height
    return bitmap[first * size:] + bitmap[33 * size:127 * size]


def code(text, start, length):
    return bytes(text[(start + i) % len(text)] for i in range(length))


def main():
    text = elf_text(CODE_FILE)
    wide = read_psf(WIDE_FONT)
    pieces = [
        (code(text, 40000, 6000), None),
        (glyphs_from(wide, 179), wide[0]),
        (code(text, 120000, 20000), None),
    ]
    out = bytearray()
    for data, width in pieces:
        if width is not None:
            print(len(out), width, len(out) + len(data))
        out += data
    open(sys.argv[1], "wb").write(out)


if __name__ == "__main__":
    main()
