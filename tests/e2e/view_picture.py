#!/usr/bin/env python3
"""Checks an exported view picture against the bits it must show.

    view_picture.py IMAGE DATAFILE WIDTH OFFSET [inverse] [reverse]

IMAGE (PNG or BMP, decoded here without any imaging library) must be the 600 x 512 view of
DATAFILE at zoom 1 without multi columns: rows of WIDTH bytes from byte OFFSET, one pixel per
bit, most significant bit leftmost, set bits white, clear bits black, positions past the end
blue (drawn as 2 x 2 blocks, so a blue line remains right of the column), positions before the
data black; the rest of the view black. Exits 0 when every pixel matches, else prints the first
differences and exits 1.
"""
import struct
import sys
import zlib

W, H = 600, 512
WHITE, BLACK, BLUE = (255, 255, 255), (0, 0, 0), (0, 0, 255)


def decode_bmp(raw):
    if raw[:2] != b"BM":
        sys.exit("not a BMP")
    offset = struct.unpack_from("<I", raw, 10)[0]
    width, height = struct.unpack_from("<ii", raw, 18)
    bits = struct.unpack_from("<H", raw, 28)[0]
    if bits != 24 or height <= 0:
        sys.exit("unexpected BMP: %d bits, height %d" % (bits, height))
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height):
        base = offset + (height - 1 - y) * stride
        rows.append([(raw[base + 3 * x + 2], raw[base + 3 * x + 1], raw[base + 3 * x]) for x in range(width)])
    return width, height, rows


def decode_png(raw):
    if raw[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("not a PNG")
    pos, idat, header = 8, b"", None
    while pos < len(raw):
        length, kind = struct.unpack_from(">I4s", raw, pos)
        body = raw[pos + 8:pos + 8 + length]
        if zlib.crc32(kind + body) != struct.unpack_from(">I", raw, pos + 8 + length)[0]:
            sys.exit("bad CRC in %s" % kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour != 2 or interlace != 0:
        sys.exit("unexpected PNG: depth %d colour type %d interlace %d" % (depth, colour, interlace))
    data = zlib.decompress(idat)
    stride, bpp = width * 3, 3
    prev = bytearray(stride)
    rows = []
    for y in range(height):
        kind = data[y * (stride + 1)]
        line = bytearray(data[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 0xFF
        rows.append([tuple(line[3 * x:3 * x + 3]) for x in range(width)])
        prev = line
    return width, height, rows


def reversed_bits(v):
    return int(format(v, "08b")[::-1], 2)


def expected(data, width, offset, inverse, reverse):
    picture = [[BLACK] * W for _ in range(H)]

    def box(x, y, size, colour):
        for yy in range(y, min(y + size, H)):
            for xx in range(x, min(x + size, W)):
                picture[yy][xx] = colour

    mask = 0xFF if inverse else 0
    i = offset
    for y in range(H):
        for j in range(width):
            v = data[i] ^ mask if 0 <= i < len(data) else 0
            if reverse:
                v = reversed_bits(v)
            for k in range(8):
                x = j * 8 + k
                if i >= len(data):
                    box(x, y, 2, BLUE)
                else:
                    box(x, y, 1, WHITE if v & (0x80 >> k) else BLACK)
            i += 1
    return picture


def main():
    image, data_file, width, offset = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    flags = sys.argv[5:]
    raw = open(image, "rb").read()
    w, h, rows = decode_png(raw) if raw[:4] == b"\x89PNG" else decode_bmp(raw)
    if (w, h) != (W, H):
        sys.exit("size %dx%d, expected %dx%d" % (w, h, W, H))
    want = expected(open(data_file, "rb").read(), width, offset, "inverse" in flags, "reverse" in flags)
    bad = [(x, y) for y in range(H) for x in range(W) if rows[y][x] != want[y][x]]
    if bad:
        for x, y in bad[:10]:
            print("pixel %d,%d is %s, expected %s" % (x, y, rows[y][x], want[y][x]))
        print("%d pixels differ" % len(bad))
        sys.exit(1)


if __name__ == "__main__":
    main()
