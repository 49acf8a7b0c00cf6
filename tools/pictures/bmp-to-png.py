#!/usr/bin/env python3
"""Converts an uncompressed 24- or 32-bit BMP (as vxauto saves its screenshots)
into a PNG, with nothing but the standard library.

    bmp-to-png.py IN.bmp OUT.png"""

import struct
import sys
import zlib


def read_bmp(data):
    if data[:2] != b"BM":
        raise ValueError("not a BMP file")
    offset = struct.unpack_from("<I", data, 10)[0]
    width, height, _, bits, compression = struct.unpack_from("<iiHHI", data, 18)
    if bits not in (24, 32) or compression not in (0, 3):
        raise ValueError(f"unsupported BMP: {bits} bits, compression {compression}")
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        line = data[offset + source * stride: offset + source * stride + width * step]
        rgb = bytearray(width * 3)
        rgb[0::3] = line[2::step]
        rgb[1::3] = line[1::step]
        rgb[2::3] = line[0::step]
        rows.append(bytes(rgb))
    return width, abs(height), rows


def png(width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: bmp-to-png.py IN.bmp OUT.png")
    with open(sys.argv[1], "rb") as f:
        width, height, rows = read_bmp(f.read())
    with open(sys.argv[2], "wb") as f:
        f.write(png(width, height, rows))


if __name__ == "__main__":
    main()
