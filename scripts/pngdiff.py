#!/usr/bin/env python3
"""Compares two PNG pictures pixel by pixel (8-bit RGB or RGBA, as the
demo's --frames writes them). Prints how many pixels differ and by how much
at most; exit status 0 when they are within the limits given."""
import argparse
import struct
import sys
import zlib


def read_png(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError(f'{path}: not a PNG file')
    at, idat, width = 8, b'', 0
    while at + 8 <= len(data):
        length, kind = struct.unpack('>I4s', data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b'IHDR':
            width, height, depth, colour, _, _, interlace = struct.unpack('>IIBBBBB', body)
            if depth != 8 or colour not in (2, 6) or interlace:
                raise ValueError(f'{path}: only 8-bit RGB/RGBA, not interlaced')
            channels = 3 if colour == 2 else 4
        elif kind == b'IDAT':
            idat += body
        at += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, prev = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for x in range(stride):
            a = line[x - channels] if x >= channels else 0
            b = prev[x]
            c = prev[x - channels] if x >= channels else 0
            if kind == 1:
                line[x] = (line[x] + a) & 255
            elif kind == 2:
                line[x] = (line[x] + b) & 255
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[x] = (line[x] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(line)
        prev = line
    return width, height, channels, rows


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument('a')
    parser.add_argument('b')
    parser.add_argument('--max-share', type=float, default=0.0, help='share of pixels that may differ (0.001 = 0.1%%)')
    parser.add_argument('--max-level', type=int, default=0, help='largest difference of a channel allowed')
    args = parser.parse_args()
    wa, ha, ca, ra = read_png(args.a)
    wb, hb, cb, rb = read_png(args.b)
    if (wa, ha, ca) != (wb, hb, cb):
        print(f'{args.a}: {wa}x{ha}x{ca}, {args.b}: {wb}x{hb}x{cb}')
        return 1
    differing, worst = 0, 0
    for la, lb in zip(ra, rb):
        if la == lb:
            continue
        for x in range(0, len(la), ca):
            d = max(abs(la[x + i] - lb[x + i]) for i in range(ca))
            if d:
                differing += 1
                worst = max(worst, d)
    share = differing / (wa * ha)
    print(f'{differing} of {wa * ha} pixels differ ({share:.4%}), by at most {worst}')
    return 0 if share <= args.max_share and worst <= args.max_level else 1


if __name__ == '__main__':
    sys.exit(main())
