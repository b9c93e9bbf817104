#!/usr/bin/env python3
"""Draws the program's icons and writes them as .ico files (16, 24, 32 and 48 pixels, 32-bit
with an AND mask) into the folder given, by default this script's own. No imaging library is
needed: shapes are rasterised with 4x4 supersampling.

    win   a window of four panes        mie   a globe          app   an application window
    ...show  the same with a magnifier  ...delete  the same with a check mark
    appicon  the program: a shield with a check mark
"""
import math
import os
import struct
import sys

SIZES = (16, 24, 32, 48)
SS = 4  # samples per pixel along each axis


def rgba(hexcolour, alpha=1.0):
    h = hexcolour.lstrip("#")
    return (int(h[0:2], 16) / 255, int(h[2:4], 16) / 255, int(h[4:6], 16) / 255, alpha)


class Canvas:
    def __init__(self, size):
        self.size = size
        self.n = size * SS
        self.px = [[(0.0, 0.0, 0.0, 0.0)] * self.n for _ in range(self.n)]

    def fill(self, inside, colour, box=(0, 0, 1, 1)):
        """Paints `colour` over every sample whose centre (in 0..1 units) satisfies inside(x, y)."""
        n = self.n
        x0, y0 = max(0, int(box[0] * n) - 1), max(0, int(box[1] * n) - 1)
        x1, y1 = min(n, int(box[2] * n) + 2), min(n, int(box[3] * n) + 2)
        r, g, b, a = colour
        for j in range(y0, y1):
            y = (j + 0.5) / n
            row = self.px[j]
            for i in range(x0, x1):
                x = (i + 0.5) / n
                if inside(x, y):
                    dr, dg, db, da = row[i]
                    oa = a + da * (1 - a)
                    if oa > 0:
                        row[i] = ((r * a + dr * da * (1 - a)) / oa, (g * a + dg * da * (1 - a)) / oa,
                                  (b * a + db * da * (1 - a)) / oa, oa)

    def rect(self, x0, y0, x1, y1, colour):
        self.fill(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, colour, (x0, y0, x1, y1))

    def circle(self, cx, cy, r, colour):
        self.fill(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, colour, (cx - r, cy - r, cx + r, cy + r))

    def ring(self, cx, cy, r, width, colour):
        lo, hi = (r - width / 2) ** 2, (r + width / 2) ** 2
        self.fill(lambda x, y: lo <= (x - cx) ** 2 + (y - cy) ** 2 <= hi, colour,
                  (cx - r - width, cy - r - width, cx + r + width, cy + r + width))

    def ellipse_ring(self, cx, cy, rx, ry, width, colour, clip=None):
        def inside(x, y):
            if clip and not clip(x, y):
                return False
            d = math.sqrt(((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2) if rx > 0 and ry > 0 else 9
            return abs(d - 1) * min(rx, ry) <= width / 2
        self.fill(inside, colour, (cx - rx - width, cy - ry - width, cx + rx + width, cy + ry + width))

    def line(self, points, width, colour):
        segs = list(zip(points, points[1:]))

        def inside(x, y):
            for (ax, ay), (bx, by) in segs:
                dx, dy = bx - ax, by - ay
                t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
                if (x - ax - t * dx) ** 2 + (y - ay - t * dy) ** 2 <= (width / 2) ** 2:
                    return True
            return False
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.fill(inside, colour, (min(xs) - width, min(ys) - width, max(xs) + width, max(ys) + width))

    def polygon(self, points, colour):
        def inside(x, y):
            hit = False
            for (ax, ay), (bx, by) in zip(points, points[1:] + points[:1]):
                if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                    hit = not hit
            return hit
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.fill(inside, colour, (min(xs), min(ys), max(xs), max(ys)))

    def pixels(self):
        """Averages the samples into BGRA rows, top row first."""
        out = []
        for py in range(self.size):
            row = []
            for px in range(self.size):
                acc = [0.0, 0.0, 0.0, 0.0]
                for j in range(py * SS, py * SS + SS):
                    for i in range(px * SS, px * SS + SS):
                        r, g, b, a = self.px[j][i]
                        acc[0] += r * a
                        acc[1] += g * a
                        acc[2] += b * a
                        acc[3] += a
                a = acc[3] / (SS * SS)
                if a <= 0:
                    row.append((0, 0, 0, 0))
                    continue
                row.append(tuple(int(round(min(1.0, c / acc[3]) * 255)) for c in (acc[2], acc[1], acc[0])) +
                           (int(round(a * 255)),))
            out.append(row)
        return out


def draw_window_frame(c, title):
    c.rect(0.06, 0.10, 0.94, 0.90, rgba("#3A4A5C"))
    c.rect(0.09, 0.13, 0.91, 0.87, rgba("#FFFFFF"))
    c.rect(0.09, 0.13, 0.91, 0.30, rgba(title))


def draw_win(c):
    draw_window_frame(c, "#1F5FBF")
    for (x0, y0), colour in zip([(0.15, 0.36), (0.52, 0.36), (0.15, 0.60), (0.52, 0.60)],
                                ["#E2482C", "#6CB52D", "#2B8BE6", "#F6B800"]):
        c.rect(x0, y0, x0 + 0.33, y0 + 0.21, rgba(colour))


def draw_mie(c):
    cx, cy, r = 0.48, 0.48, 0.40
    c.circle(cx, cy, r + 0.03, rgba("#1D4E8F"))
    c.circle(cx, cy, r, rgba("#3C8EE0"))
    in_globe = lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    for ex, ey, erx, ery in [(0.36, 0.36, 0.14, 0.10), (0.60, 0.58, 0.13, 0.16), (0.30, 0.66, 0.07, 0.06)]:
        c.fill(lambda x, y, ex=ex, ey=ey, erx=erx, ery=ery: in_globe(x, y) and ((x - ex) / erx) ** 2 +
               ((y - ey) / ery) ** 2 <= 1, rgba("#5DB33A"))
    grid = rgba("#FFFFFF", 0.75)
    c.ellipse_ring(cx, cy, r * 0.45, r, 0.035, grid, in_globe)
    c.line([(cx, cy - r), (cx, cy + r)], 0.035, grid)
    c.line([(cx - r, cy), (cx + r, cy)], 0.035, grid)
    for dy in (-0.5, 0.5):
        y = cy + dy * r
        half = math.sqrt(r * r - (dy * r) ** 2)
        c.line([(cx - half, y), (cx + half, y)], 0.03, grid)


def draw_app(c):
    draw_window_frame(c, "#2D3F73")
    c.rect(0.09, 0.30, 0.91, 0.38, rgba("#DDE3EA"))
    for y in (0.48, 0.60, 0.72):
        c.rect(0.17, y, 0.83 if y < 0.7 else 0.60, y + 0.05, rgba("#9AA6B4"))


def draw_magnifier(c):
    c.line([(0.76, 0.76), (0.95, 0.95)], 0.13, rgba("#5A3A1A"))
    c.circle(0.64, 0.64, 0.21, rgba("#FFFFFF", 0.9))
    c.circle(0.64, 0.64, 0.17, rgba("#BFE3FF", 0.85))
    c.ring(0.64, 0.64, 0.18, 0.07, rgba("#202830"))


def draw_check(c):
    points = [(0.44, 0.70), (0.60, 0.86), (0.94, 0.46)]
    c.line(points, 0.20, rgba("#FFFFFF"))
    c.line(points, 0.12, rgba("#1E9B33"))


def draw_program(c):
    shield = [(0.5, 0.05), (0.88, 0.18), (0.84, 0.56), (0.5, 0.95), (0.16, 0.56), (0.12, 0.18)]
    c.polygon(shield, rgba("#173E7A"))
    inner = [(0.5, 0.11), (0.82, 0.22), (0.78, 0.54), (0.5, 0.88), (0.22, 0.54), (0.18, 0.22)]
    c.polygon(inner, rgba("#2F7FD8"))
    c.line([(0.32, 0.50), (0.46, 0.65), (0.70, 0.34)], 0.11, rgba("#FFFFFF"))


def ico(images):
    """An .ico file holding one 32-bit image per size."""
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for size, rows in images:
        xor = b"".join(bytes(p) for row in reversed(rows) for p in row)
        stride = ((size + 31) // 32) * 4
        mask = b""
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        dib = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0) + xor + mask
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(dib), offset)
        blobs += dib
        offset += len(dib)
    return header + entries + blobs


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    bases = {"win": draw_win, "mie": draw_mie, "app": draw_app}
    icons = {"appicon": [draw_program]}
    for name, base in bases.items():
        icons[name] = [base]
        icons[name + "show"] = [base, draw_magnifier]
        icons[name + "delete"] = [base, draw_check]
    for name, steps in icons.items():
        images = []
        for size in SIZES:
            c = Canvas(size)
            for step in steps:
                step(c)
            images.append((size, c.pixels()))
        with open(os.path.join(out, name + ".ico"), "wb") as f:
            f.write(ico(images))


if __name__ == "__main__":
    main()
