#!/usr/bin/env python3
"""Draws the program's artwork: the uninstall panel bitmap (594 x 292, 16
colours), the start page background (405 x 297, written as PPM and turned
into a one-frame GIF by ImageMagick) and the program icon source.
Run from this folder; the results are committed beside it."""
import math
import struct
import subprocess


def blend(a, b, t):
    return tuple(int(a[i] + (b[i] - a[i]) * t) for i in range(3))


def uninstall_bmp(path):
    w, h = 594, 292
    # 16 shades from deep slate to pale blue-grey.
    pal = [blend((28, 40, 64), (214, 224, 238), i / 15) for i in range(16)]
    stride = ((w * 4 + 31) // 32) * 4
    rows = []
    for y in range(h - 1, -1, -1):  # bottom-up
        row = bytearray(stride)
        for x in range(w):
            t = 0.55 * (y / h) + 0.45 * (x / w)
            ring = math.hypot(x - 470, y - 70)
            if 60 < ring < 66 or 100 < ring < 104:
                t += 0.18
            idx = max(0, min(15, int(t * 15.99)))
            if (x // 2 + y // 2) % 2 and idx < 15:
                idx += (t * 15.99 - int(t * 15.99)) > 0.5
            if x % 2 == 0:
                row[x // 2] |= idx << 4
            else:
                row[x // 2] |= idx
        rows.append(bytes(row))
    pixels = b"".join(rows)
    palette = b"".join(struct.pack("<BBBB", c[2], c[1], c[0], 0) for c in pal)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(head + info + palette + pixels)


def background_ppm(path):
    w, h = 405, 297
    top, bottom = (16, 48, 88), (70, 130, 180)
    out = bytearray()
    for y in range(h):
        for x in range(w):
            c = blend(top, bottom, y / h)
            # soft diagonal light bands
            band = (x + y * 0.6) % 90
            if band < 12:
                c = blend(c, (255, 255, 255), 0.10)
            d = math.hypot(x - 320, y - 230)
            if d < 70:
                c = blend(c, (240, 170, 60), 0.25 * (1 - d / 70))
            out += bytes(c)
    with open(path, "wb") as f:
        f.write(b"P6 %d %d 255\n" % (w, h) + out)


if __name__ == "__main__":
    uninstall_bmp("uninstall.bmp")
    background_ppm("background.ppm")
    subprocess.run(["convert", "background.ppm", "-colors", "64", "background.gif"], check=True)
    subprocess.run(["convert", "-size", "32x32", "xc:none", "-fill", "#1b4f8a",
                    "-draw", "roundrectangle 2,6 29,29 4,4", "-fill", "#f0a030",
                    "-draw", "polygon 9,3 23,3 16,14", "-fill", "white",
                    "-draw", "rectangle 8,16 23,18", "-draw", "rectangle 8,21 19,23",
                    "-define", "icon:auto-resize=32,16", "setup.ico"], check=True)
