"""What a rendered page shows, from its PNG screenshot (standard library
only): prints "WIDTH HEIGHT INKED CANDLE": INKED the pixels that are not
near white (text, lines, pictures), CANDLE those of the harness chart's
red and green candles, which only a shown picture has.

Usage: python3 scripts/png_stats.py FILE.png
"""
import struct
import sys
import zlib


def pixels(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise SystemExit("not a PNG file")
    pos, idat, head = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            head = struct.unpack(">IIBBBBB", chunk)
        elif kind == b"IDAT":
            idat += chunk
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = head
    if depth != 8 or colour not in (2, 6) or interlace:
        raise SystemExit("unexpected PNG kind")
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    prev = bytearray(stride)
    rows = []
    for y in range(height):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if f == 1:
                line[i] = (line[i] + a) & 255
            elif f == 2:
                line[i] = (line[i] + b) & 255
            elif f == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, bpp, rows


def main():
    width, height, bpp, rows = pixels(sys.argv[1])
    inked = candle = 0
    for line in rows:
        for x in range(0, width * bpp, bpp):
            r, g, b = line[x], line[x + 1], line[x + 2]
            if r < 230 or g < 230 or b < 230:
                inked += 1
            if (r > 150 and g < 100 and b < 100) or (g > 110 and r < 90 and b < 130 and g - b > 30):
                candle += 1
    print(width, height, inked, candle)


main()
