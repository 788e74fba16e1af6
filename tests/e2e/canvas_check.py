#!/usr/bin/env python3
"""Checks the canvas on a raw screenshot against the bits it must show.

    canvas_check.py SHOT X Y DATAFILE WIDTH ZOOM [inverse] [grid]
    canvas_check.py --find-width SHOT X Y DATAFILE ZOOM [inverse]

SHOT is a raw RGB screenshot of the 1280 x 1024 screen (e2e_screenshot_rgb); (X, Y) is where the
canvas's top-left pixel lies on it. The canvas must show DATAFILE from byte 0, one column of rows
of WIDTH bytes (no multi columns), at the zoom: each bit a ZOOM x ZOOM block, most significant
bit leftmost, set bits white, clear bits black (exchanged with "inverse"), positions past the
end of the file blue, the rest of the canvas black.
With "grid" the green grid lies on top: every 8th canvas pixel, green at multiples of 64, dark
green otherwise, the later line on top where two cross. Exits 0 when all 600 x 512 pixels match; else prints the first differences.
--find-width prints the one width from 1 to 255 whose picture matches, or fails.
"""
import sys

SCREEN_W = 1280
VIEW_W, VIEW_H = 600, 512
WHITE, BLACK, BLUE = (255, 255, 255), (0, 0, 0), (0, 0, 255)
GREEN, DARK_GREEN = (0, 255, 0), (0, 127, 0)


def load(shot, x0, y0):
    raw = open(shot, "rb").read()
    rows = []
    for y in range(VIEW_H):
        start = ((y0 + y) * SCREEN_W + x0) * 3
        rows.append(raw[start:start + VIEW_W * 3])
    return rows


def expected_pixel(data, width, zoom, inverse, grid, x, y):
    if grid:
        # Lines are drawn for g = 0, 8, ... (vertical, then horizontal), so at a crossing the
        # line with the larger g lies on top.
        if x % 8 == 0 and y % 8 == 0:
            return GREEN if max(x, y) % 64 == 0 else DARK_GREEN
        if x % 8 == 0:
            return GREEN if x % 64 == 0 else DARK_GREEN
        if y % 8 == 0:
            return GREEN if y % 64 == 0 else DARK_GREEN
    sx, sy = x // zoom, y // zoom
    if sx >= 8 * width:
        # A block past the end is one pixel larger (below zoom 8): the last one of a row
        # leaves a blue line just right of the column.
        if x == 8 * width * zoom and zoom < 8 and sy * width + width - 1 >= len(data):
            return BLUE
        return BLACK
    i = sy * width + sx // 8
    if i >= len(data):
        return BLUE
    v = data[i] ^ (0xFF if inverse else 0)
    return WHITE if v & (0x80 >> (sx % 8)) else BLACK


def differences(rows, data, width, zoom, inverse, grid, limit):
    found = []
    for y in range(VIEW_H):
        row = rows[y]
        for x in range(VIEW_W):
            got = tuple(row[3 * x:3 * x + 3])
            want = expected_pixel(data, width, zoom, inverse, grid, x, y)
            if got != want:
                found.append((x, y, got, want))
                if len(found) >= limit:
                    return found
    return found


def main(argv):
    if argv and argv[0] == "--find-width":
        shot, x0, y0, datafile, zoom = argv[1], int(argv[2]), int(argv[3]), argv[4], int(argv[5])
        inverse = "inverse" in argv[6:]
        rows = load(shot, x0, y0)
        data = open(datafile, "rb").read()
        matches = [w for w in range(1, 256) if not differences(rows, data, w, zoom, inverse, False, 1)]
        if len(matches) != 1:
            sys.exit("widths matching the canvas: %s" % matches)
        print(matches[0])
        return 0
    shot, x0, y0, datafile = argv[0], int(argv[1]), int(argv[2]), argv[3]
    width, zoom = int(argv[4]), int(argv[5])
    inverse, grid = "inverse" in argv[6:], "grid" in argv[6:]
    found = differences(load(shot, x0, y0), open(datafile, "rb").read(), width, zoom, inverse, grid, 10)
    for x, y, got, want in found:
        print("canvas %d,%d: %s, expected %s" % (x, y, got, want), file=sys.stderr)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
