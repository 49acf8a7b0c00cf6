#!/usr/bin/env python3
"""Draws the setup program's pictures into a folder: the picture of the
welcome and finish pages (welcome.bmp), the no-IDE dialog's product picture
(product.bmp) and the program's icon (setup.ico, 16, 32 and 48 pixels).

The pictures are ours and plain: a teal-to-navy gradient with a small diagram
of linked tables, the suite's subject (visual query building)."""

import struct
import sys
from pathlib import Path

TEAL = (0x00, 0x80, 0x80)
NAVY = (0x10, 0x24, 0x50)
WHITE = (0xFF, 0xFF, 0xFF)
PALE = (0xC8, 0xE6, 0xE6)


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


class Canvas:
    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[(0, 0, 0)] * width for _ in range(height)]

    def gradient(self, top, bottom):
        for y in range(self.height):
            colour = mix(top, bottom, y / max(1, self.height - 1))
            self.pixels[y] = [colour] * self.width

    def rect(self, left, top, width, height, colour):
        for y in range(max(0, top), min(self.height, top + height)):
            row = self.pixels[y]
            for x in range(max(0, left), min(self.width, left + width)):
                row[x] = colour

    def frame(self, left, top, width, height, colour):
        self.rect(left, top, width, 1, colour)
        self.rect(left, top + height - 1, width, 1, colour)
        self.rect(left, top, 1, height, colour)
        self.rect(left + width - 1, top, 1, height, colour)

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            if 0 <= x < self.width and 0 <= y < self.height:
                self.pixels[y][x] = colour

    def table(self, left, top, width, rows):
        """A table of a query diagram: a title bar and field lines."""
        height = 14 + rows * 9
        self.rect(left, top, width, height, WHITE)
        self.rect(left, top, width, 12, PALE)
        self.frame(left, top, width, height, NAVY)
        for i in range(rows):
            y = top + 17 + i * 9
            self.rect(left + 5, y, 5, 5, TEAL)
            self.rect(left + 14, y + 2, width - 22 - (i * 7) % 15, 1, NAVY)
        return height

    def bmp(self):
        stride = (self.width * 3 + 3) & ~3
        data = bytearray()
        for row in reversed(self.pixels):
            line = bytearray()
            for r, g, b in row:
                line += bytes((b, g, r))
            line += bytes(stride - len(line))
            data += line
        header = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 14 + len(header)) + header + data


def diagram(canvas):
    """Linked tables down the picture, with joins between them."""
    w = canvas.width
    tables = [(12, 40, w // 2 + 10, 4), (w // 2 - 10, 130, w // 2, 3), (18, 215, w // 2 + 4, 5), (w // 2 - 4, 320, w // 2 - 8, 3)]
    boxes = []
    for left, top, width, rows in tables:
        if top + 14 + rows * 9 > canvas.height - 8:
            break
        boxes.append((left, top, width, canvas.table(left, top, width, rows)))
    for (l0, t0, w0, h0), (l1, t1, w1, _) in zip(boxes, boxes[1:]):
        x0, y0 = l0 + w0 // 2, t0 + h0
        x1, y1 = l1 + w1 // 2, t1
        mid = (y0 + y1) // 2
        canvas.line(x0, y0, x0, mid, WHITE)
        canvas.line(x0, mid, x1, mid, WHITE)
        canvas.line(x1, mid, x1, y1, WHITE)


def picture(width, height):
    canvas = Canvas(width, height)
    canvas.gradient(TEAL, NAVY)
    diagram(canvas)
    return canvas


def icon_image(size):
    """One icon size as a 32-bit DIB with its (empty) AND mask."""
    canvas = Canvas(size, size)
    canvas.gradient(TEAL, NAVY)
    s = size / 16
    # Two linked tables.
    canvas.rect(round(2 * s), round(2 * s), round(7 * s), round(6 * s), WHITE)
    canvas.rect(round(7 * s), round(9 * s), round(7 * s), round(5 * s), WHITE)
    canvas.rect(round(2 * s), round(2 * s), round(7 * s), max(1, round(2 * s)), PALE)
    canvas.rect(round(7 * s), round(9 * s), round(7 * s), max(1, round(2 * s)), PALE)
    canvas.line(round(5 * s), round(8 * s), round(5 * s), round(11 * s), WHITE)
    canvas.line(round(5 * s), round(11 * s), round(7 * s), round(11 * s), WHITE)
    data = bytearray()
    for row in reversed(canvas.pixels):
        for r, g, b in row:
            data += bytes((b, g, r, 0xFF))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(data) + len(mask), 0, 0, 0, 0)
    return header + bytes(data) + mask


def ico(sizes):
    images = [icon_image(size) for size in sizes]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries = b""
    for size, image in zip(sizes, images):
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(images)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-pictures.py FOLDER")
    folder = Path(sys.argv[1])
    folder.mkdir(parents=True, exist_ok=True)
    (folder / "welcome.bmp").write_bytes(picture(164, 410).bmp())
    (folder / "product.bmp").write_bytes(picture(168, 420).bmp())
    (folder / "setup.ico").write_bytes(ico([16, 32, 48]))


if __name__ == "__main__":
    main()
