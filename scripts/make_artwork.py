#!/usr/bin/env python3
"""Generate the MH Toolkit artwork: res/toolkit.ico, res/title.bmp, res/about.bmp.

Standard library only. Output is deterministic (fixed random seeds).
Run from anywhere: python3 scripts/make_artwork.py
"""

import math
import os
import random
import struct

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
RES_DIR = os.path.join(ROOT, "res")

# ---------------------------------------------------------------------------
# 5x7 bitmap font ('#' = set pixel)
# ---------------------------------------------------------------------------

FONT = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "H": ["#...#", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "I": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"],
    "K": ["#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
    "O": [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "T": ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "0": [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    "1": ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "2": [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    "3": ["####.", "....#", "....#", ".###.", "....#", "....#", "####."],
    "4": ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    "5": ["#####", "#....", "####.", "....#", "....#", "#...#", ".###."],
    "6": [".###.", "#....", "#....", "####.", "#...#", "#...#", ".###."],
    "7": ["#####", "....#", "...#.", "..#..", ".#...", ".#...", ".#..."],
    "8": [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    "9": [".###.", "#...#", "#...#", ".####", "....#", "....#", ".###."],
    ".": [".....", ".....", ".....", ".....", ".....", ".##..", ".##.."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}
GLYPH_W, GLYPH_H = 5, 7


def text_size(text, scale, spacing=1):
    n = len(text)
    return (n * (GLYPH_W + spacing) - spacing) * scale, GLYPH_H * scale


def text_mask(text, scale, spacing=1):
    """Return the set of (x, y) pixels covered by text at the given scale."""
    mask = set()
    for i, ch in enumerate(text):
        glyph = FONT[ch]
        ox = i * (GLYPH_W + spacing) * scale
        for gy, row in enumerate(glyph):
            for gx, c in enumerate(row):
                if c == "#":
                    for dy in range(scale):
                        for dx in range(scale):
                            mask.add((ox + gx * scale + dx, gy * scale + dy))
    return mask


def dilate(mask, r):
    out = set(mask)
    for (x, y) in mask:
        for dy in range(-r, r + 1):
            for dx in range(-r, r + 1):
                out.add((x + dx, y + dy))
    return out


# ---------------------------------------------------------------------------
# Colour helpers
# ---------------------------------------------------------------------------

def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return (lerp(c1[0], c2[0], t), lerp(c1[1], c2[1], t), lerp(c1[2], c2[2], t))


def ramp(stops, t):
    """Piecewise-linear colour ramp; stops = [(pos, (r, g, b)), ...] sorted."""
    if t <= stops[0][0]:
        return stops[0][1]
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, (t - p0) / (p1 - p0))
    return stops[-1][1]


def smoothstep(e0, e1, x):
    t = max(0.0, min(1.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


# ---------------------------------------------------------------------------
# RGB canvas with anti-aliased shape filling via supersampling
# ---------------------------------------------------------------------------

class Canvas:
    SS = 4  # subsamples per axis

    def __init__(self, w, h, color=(0, 0, 0)):
        self.w, self.h = w, h
        self.px = [[list(color) for _ in range(w)] for _ in range(h)]

    def blend(self, x, y, color, a):
        if 0 <= x < self.w and 0 <= y < self.h and a > 0:
            p = self.px[y][x]
            a = min(1.0, a)
            p[0] += (color[0] - p[0]) * a
            p[1] += (color[1] - p[1]) * a
            p[2] += (color[2] - p[2]) * a

    def fill(self, fn):
        """Set every pixel to fn(x, y) -> (r, g, b)."""
        for y in range(self.h):
            row = self.px[y]
            for x in range(self.w):
                row[x] = list(fn(x, y))

    def shape(self, inside, color, bbox, alpha=1.0):
        """Fill where inside(fx, fy) is true; bbox = (x0, y0, x1, y1)."""
        x0, y0, x1, y1 = bbox
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        n = self.SS
        offs = [(i + 0.5) / n for i in range(n)]
        for y in range(y0, y1):
            for x in range(x0, x1):
                hits = 0
                for sy in offs:
                    for sx in offs:
                        if inside(x + sx, y + sy):
                            hits += 1
                if hits:
                    c = color(x, y) if callable(color) else color
                    self.blend(x, y, c, alpha * hits / (n * n))

    def polygon(self, pts, color, alpha=1.0):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]
        self.shape(lambda fx, fy: point_in_poly(fx, fy, pts), color,
                   (min(xs), min(ys), max(xs), max(ys)), alpha)

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], color, alpha)

    def circle(self, cx, cy, r, color, alpha=1.0):
        r2 = r * r
        self.shape(lambda fx, fy: (fx - cx) ** 2 + (fy - cy) ** 2 <= r2, color,
                   (cx - r, cy - r, cx + r, cy + r), alpha)

    def line(self, x0, y0, x1, y1, width, color, alpha=1.0):
        dx, dy = x1 - x0, y1 - y0
        ln = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / ln * width / 2, dx / ln * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], color, alpha)

    def glow(self, cx, cy, r, color, strength):
        """Additive-style radial glow (blend with falloff)."""
        for y in range(max(0, int(cy - r)), min(self.h, int(cy + r) + 1)):
            for x in range(max(0, int(cx - r)), min(self.w, int(cx + r) + 1)):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) / r
                if d < 1:
                    self.blend(x, y, color, strength * (1 - d) ** 2)

    def text(self, text, x, y, scale, fill_top, fill_bot, outline=(0, 0, 0),
             shadow=(0, 0, 0), outline_r=1, shadow_off=2):
        """Draw pixel text with a drop shadow, outline and vertical gradient."""
        mask = text_mask(text, scale)
        _, th = text_size(text, scale)
        ring = dilate(mask, outline_r)
        for (mx, my) in ring:
            self.blend(x + mx + shadow_off, y + my + shadow_off, shadow, 0.55)
        for (mx, my) in ring:
            self.blend(x + mx, y + my, outline, 1.0)
        for (mx, my) in mask:
            self.blend(x + mx, y + my, mix(fill_top, fill_bot, my / max(1, th - 1)), 1.0)

    def to_bytes_rgb(self):
        return [[tuple(max(0, min(255, int(round(c)))) for c in p) for p in row]
                for row in self.px]


def point_in_poly(x, y, pts):
    inside = False
    j = len(pts) - 1
    for i in range(len(pts)):
        xi, yi = pts[i]
        xj, yj = pts[j]
        if (yi > y) != (yj > y):
            if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                inside = not inside
        j = i
    return inside


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------

def write_bmp24(path, rows):
    """rows: top-down list of rows of (r, g, b). Writes bottom-up BI_RGB 24 bpp."""
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    pad = b"\0" * (stride - w * 3)
    data = bytearray()
    for row in reversed(rows):
        for (r, g, b) in row:
            data += bytes((b, g, r))
        data += pad
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    with open(path, "wb") as f:
        f.write(header + info + data)


def ico_image_4bpp(indices, opaque, palette):
    """One ICO image: BITMAPINFOHEADER + 16-colour palette + XOR + AND mask."""
    h, w = len(indices), len(indices[0])
    xor_stride = ((w * 4 + 31) // 32) * 4
    and_stride = ((w + 31) // 32) * 4
    xor = bytearray()
    and_ = bytearray()
    for y in reversed(range(h)):
        row = bytearray(xor_stride)
        bits = bytearray(and_stride)
        for x in range(w):
            idx = indices[y][x] if opaque[y][x] else 0
            if x % 2 == 0:
                row[x // 2] |= idx << 4
            else:
                row[x // 2] |= idx
            if not opaque[y][x]:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += row
        and_ += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0,
                       len(xor) + len(and_), 0, 0, 0, 0)
    pal = b"".join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    return info + pal + bytes(xor) + bytes(and_)


def write_ico(path, images):
    """images: list of (size, image_bytes)."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    entries, blobs = b"", b""
    for size, blob in images:
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 16, 0, 1, 4,
                               len(blob), offset)
        blobs += blob
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(out + entries + blobs)


# ---------------------------------------------------------------------------
# Icon: crosshair target on a dark round badge
# ---------------------------------------------------------------------------

ICON_PALETTE = [
    (0, 0, 0),        # 0  transparent / black
    (14, 20, 32),     # 1  badge dark
    (26, 38, 56),     # 2  badge
    (44, 62, 86),     # 3  badge light
    (82, 102, 124),   # 4  rim
    (150, 168, 186),  # 5  rim light
    (244, 240, 226),  # 6  white
    (186, 184, 172),  # 7  light grey
    (110, 66, 22),    # 8  amber dark
    (196, 118, 30),   # 9  amber
    (252, 186, 64),   # 10 amber bright
    (96, 22, 20),     # 11 red dark
    (206, 44, 32),    # 12 red
    (255, 96, 70),    # 13 red bright
    (120, 118, 112),  # 14 grey
    (62, 44, 40),     # 15 dark warm (ring/badge blend)
]


def nearest_palette(c):
    best, bi = None, 0
    for i, p in enumerate(ICON_PALETTE[1:], 1):
        d = (c[0] - p[0]) ** 2 * 3 + (c[1] - p[1]) ** 2 * 4 + (c[2] - p[2]) ** 2 * 2
        if best is None or d < best:
            best, bi = d, i
    return bi


def render_icon(size):
    s = size / 32.0
    c = size / 2.0
    cv = Canvas(size, size)
    r_badge = c - 0.25
    # badge: radial gradient, lit from the top-left
    def badge(x, y):
        d = math.hypot(x + 0.5 - c * 0.75, y + 0.5 - c * 0.7) / size
        return mix(ICON_PALETTE[3], ICON_PALETTE[1], d * 1.6)
    cv.fill(badge)
    # rim
    rim_w = 2.0 * s if size > 16 else 1.0
    cv.shape(lambda x, y: r_badge - rim_w <= math.hypot(x - c, y - c) <= r_badge,
             lambda x, y: ICON_PALETTE[5] if y < c else ICON_PALETTE[4],
             (0, 0, size, size))
    # amber target ring
    r_ring = 9.5 * s if size > 16 else 4.9
    ring_w = 2.5 * s if size > 16 else 1.3
    cv.shape(lambda x, y: abs(math.hypot(x - c, y - c) - r_ring) <= ring_w / 2,
             lambda x, y: ICON_PALETTE[10] if y < c else ICON_PALETTE[9],
             (0, 0, size, size))
    # crosshair arms with a gap around the centre
    arm = 2.0
    gap = 4.0 * s if size > 16 else 3.0
    inner = rim_w + 1.0
    white = ICON_PALETTE[6]
    cv.rect(c - arm / 2, inner, c + arm / 2, c - gap, white)
    cv.rect(c - arm / 2, c + gap, c + arm / 2, size - inner, white)
    cv.rect(inner, c - arm / 2, c - gap, c + arm / 2, white)
    cv.rect(c + gap, c - arm / 2, size - inner, c + arm / 2, white)
    # red centre dot
    cv.circle(c, c, 2.5 * s if size > 16 else 1.0, ICON_PALETTE[12])
    if size > 16:
        cv.circle(c - 0.7, c - 0.7, 1.0, ICON_PALETTE[13], 0.8)

    rgb = cv.to_bytes_rgb()
    indices, opaque = [], []
    for y in range(size):
        irow, orow = [], []
        for x in range(size):
            # pixel coverage of the badge disc decides transparency
            hits = 0
            for sy in range(4):
                for sx in range(4):
                    if math.hypot(x + (sx + 0.5) / 4 - c, y + (sy + 0.5) / 4 - c) <= r_badge:
                        hits += 1
            orow.append(hits >= 8)
            irow.append(nearest_palette(rgb[y][x]))
        indices.append(irow)
        opaque.append(orow)
    return indices, opaque


# ---------------------------------------------------------------------------
# Shared landscape pieces
# ---------------------------------------------------------------------------

def dusk_sky(horizon):
    stops = [
        (0.00, (14, 16, 44)),
        (0.35, (46, 36, 92)),
        (0.65, (148, 66, 98)),
        (0.85, (232, 118, 70)),
        (1.00, (255, 190, 110)),
    ]
    return lambda x, y: ramp(stops, (y + 0.5) / horizon)


def add_stars(cv, rng, count, y_max, fade_to):
    for _ in range(count):
        x = rng.randrange(cv.w)
        y = rng.randrange(y_max)
        a = rng.uniform(0.35, 1.0) * (1 - smoothstep(0, fade_to, y) * 0.9)
        cv.blend(x, y, (255, 248, 230), a)
        if rng.random() < 0.12:
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                cv.blend(x + dx, y + dy, (255, 248, 230), a * 0.35)


def ridge(base, amp, seed, waves=4):
    """Smooth ridge line y(x) built from a few sines with seeded phases."""
    rng = random.Random(seed)
    comps = [(rng.uniform(0.5, 1.0) / (i + 1), rng.uniform(0.01, 0.04) * (i + 1),
              rng.uniform(0, math.tau)) for i in range(waves)]
    def f(x):
        return base - amp * sum(a * math.sin(x * fr + ph) for a, fr, ph in comps)
    return f


def treeline(width, ground, seed, min_h, max_h, density):
    """Ridge with pine-tree spikes; returns y_top(x)."""
    rng = random.Random(seed)
    trees = []
    x = -5.0
    while x < width + 5:
        h = rng.uniform(min_h, max_h)
        trees.append((x, h, h * rng.uniform(0.28, 0.38)))
        x += rng.uniform(density * 0.5, density * 1.5)
    def f(x):
        top = ground(x)
        for tx, th, tw in trees:
            d = abs(x - tx)
            if d < tw:
                # tiered pine: triangle with small notches
                t = d / tw
                y = ground(tx) - th * (1 - t)
                y += (th * 0.08) * ((t * 3.0) % 1.0)
                top = min(top, y)
        return top
    return f


def fill_silhouette(cv, top_fn, color, y_limit=None):
    ys_lim = cv.h if y_limit is None else y_limit
    min_top = min(top_fn(x + 0.5) for x in range(cv.w)) - 2
    cv.shape(lambda fx, fy: top_fn(fx) <= fy <= ys_lim, color, (0, min_top, cv.w, ys_lim))


# ---------------------------------------------------------------------------
# Title banner: dusk sky over hills and treeline, with the program name
# ---------------------------------------------------------------------------

def render_title():
    w, h = 220, 72
    cv = Canvas(w, h)
    cv.fill(dusk_sky(h * 0.92))
    add_stars(cv, random.Random(11), 45, 40, 40)
    # low sun behind the hills
    cv.glow(168, 60, 46, (255, 200, 120), 0.55)
    cv.circle(168, 60, 9, (255, 222, 150))
    fill_silhouette(cv, ridge(56, 6, seed=3), (92, 52, 88))
    fill_silhouette(cv, treeline(w, ridge(63, 3, seed=5), seed=7,
                                 min_h=6, max_h=14, density=7), (42, 26, 52))
    fill_silhouette(cv, treeline(w, ridge(70, 2, seed=9), seed=13,
                                 min_h=4, max_h=10, density=9), (16, 12, 24))
    text = "MH TOOLKIT"
    tw, th = text_size(text, 3)
    cv.text(text, (w - tw) // 2, 12, 3, (255, 236, 170), (240, 150, 50),
            outline=(24, 14, 30), shadow=(0, 0, 0))
    return cv


# ---------------------------------------------------------------------------
# About box: marsh at dusk with a watchtower, name and version
# ---------------------------------------------------------------------------

def render_about():
    w, h = 300, 240
    horizon = 168
    cv = Canvas(w, h)
    cv.fill(dusk_sky(horizon))
    add_stars(cv, random.Random(21), 110, 110, 120)
    # thin clouds lit from below
    rng = random.Random(31)
    for _ in range(7):
        cx, cy = rng.uniform(0, w), rng.uniform(95, 140)
        ln, th = rng.uniform(40, 90), rng.uniform(1.5, 3.0)
        cv.shape(lambda x, y, cx=cx, cy=cy, ln=ln, th=th:
                 ((x - cx) / ln) ** 2 + ((y - cy) / th) ** 2 <= 1,
                 (250, 150, 120), (cx - ln, cy - th, cx + ln, cy + th), 0.35)
    # setting sun
    sun_x, sun_y = 110, 160
    cv.glow(sun_x, sun_y, 90, (255, 180, 100), 0.45)
    cv.circle(sun_x, sun_y, 17, (255, 214, 140))
    cv.circle(sun_x, sun_y, 13, (255, 236, 184), 0.6)

    # far hills and near moor
    fill_silhouette(cv, ridge(150, 9, seed=41), (104, 58, 92), horizon)
    fill_silhouette(cv, treeline(w, ridge(160, 5, seed=43), seed=45,
                                 min_h=5, max_h=12, density=11), (56, 32, 60), horizon)
    # mound for the tower
    mound = lambda x: horizon - 14 * math.exp(-((x - 222) / 34.0) ** 2)
    fill_silhouette(cv, mound, (26, 18, 34), horizon)

    dark = (18, 12, 24)
    # watchtower: splayed legs, cross braces, platform, hut and roof
    bx, gy = 222, horizon - 12
    cv.line(bx - 16, gy, bx - 9, gy - 52, 2.4, dark)
    cv.line(bx + 16, gy, bx + 9, gy - 52, 2.4, dark)
    cv.line(bx - 3, gy + 1, bx - 2, gy - 52, 1.6, dark)
    cv.line(bx + 3, gy + 1, bx + 2, gy - 52, 1.6, dark)
    for y0, y1 in ((gy - 4, gy - 20), (gy - 20, gy - 36), (gy - 36, gy - 52)):
        t0 = (gy - y0) / 52.0
        t1 = (gy - y1) / 52.0
        xl0, xr0 = bx - 16 + 7 * t0, bx + 16 - 7 * t0
        xl1, xr1 = bx - 16 + 7 * t1, bx + 16 - 7 * t1
        cv.line(xl0, y0, xr1, y1, 1.2, dark)
        cv.line(xr0, y0, xl1, y1, 1.2, dark)
    cv.rect(bx - 14, gy - 55, bx + 14, gy - 51, dark)          # platform
    cv.rect(bx - 11, gy - 71, bx + 11, gy - 55, dark)          # hut
    cv.polygon([(bx - 15, gy - 70), (bx, gy - 84), (bx + 15, gy - 70)], dark)  # roof
    cv.line(bx, gy - 84, bx, gy - 90, 1.0, dark)                # flag pole
    cv.polygon([(bx + 0.5, gy - 90), (bx + 7, gy - 88), (bx + 0.5, gy - 86)], dark)
    # lit window
    win = (bx - 4, gy - 67, bx + 4, gy - 60)
    cv.glow(bx, gy - 63.5, 16, (255, 190, 90), 0.35)
    cv.rect(*win, (255, 204, 110))
    cv.rect(bx - 0.5, win[1], bx + 0.5, win[3], dark)

    # water: mirrored sky and land with ripples, tinted darker
    rng = random.Random(51)
    src = [row[:] for row in cv.to_bytes_rgb()]
    wobble = [rng.uniform(-1.0, 1.0) for _ in range(h)]
    for y in range(horizon, h):
        depth = (y - horizon) / float(h - horizon)
        my = horizon - 1 - int((y - horizon) * 1.1)
        my = max(0, my)
        shift = wobble[y] * (1 + 3 * depth) + math.sin(y * 0.9) * (0.5 + 1.5 * depth)
        for x in range(w):
            sx = min(w - 1, max(0, int(x + shift)))
            r, g, b = src[my][sx]
            c = mix((r * 0.78, g * 0.74, b * 0.86), (20, 18, 40), 0.15 + 0.55 * depth)
            cv.px[y][x] = list(c)
    # glints on the water under the sun
    for _ in range(60):
        y = rng.randrange(horizon + 2, h - 20)
        spread = 10 + (y - horizon) * 0.6
        x = sun_x + rng.gauss(0, spread * 0.5)
        ln = rng.uniform(3, 10)
        cv.rect(x - ln / 2, y, x + ln / 2, y + 1, (255, 210, 150),
                0.5 * (1 - (y - horizon) / (h - horizon)))
    cv.rect(0, horizon, w, horizon + 1, (255, 200, 140), 0.25)

    # foreground banks and reeds
    bank_l = lambda x: 214 + 0.004 * x * x
    bank_r = lambda x: 216 + 0.004 * (w - x) ** 2
    fill_silhouette(cv, lambda x: min(bank_l(x), bank_r(x)), (12, 9, 16))
    rng = random.Random(61)
    for _ in range(46):
        if rng.random() < 0.6:
            x = rng.uniform(-4, 80)
            base = bank_l(x) + 4
        else:
            x = rng.uniform(226, 304)
            base = bank_r(x) + 4
        hgt = rng.uniform(14, 42)
        lean = rng.uniform(-7, 7)
        cv.polygon([(x - 1.1, base), (x + 1.1, base), (x + lean + 0.2, base - hgt)], (12, 9, 16))
        if rng.random() < 0.3:
            # bulrush head
            tx, ty = x + lean * 0.85, base - hgt * 0.85
            cv.shape(lambda fx, fy, tx=tx, ty=ty: ((fx - tx) / 1.6) ** 2 + ((fy - ty) / 4.5) ** 2 <= 1,
                     (12, 9, 16), (tx - 2, ty - 5, tx + 2, ty + 5))
    # a few birds
    for bx_, by_, s in ((60, 74, 3.0), (72, 68, 2.4), (84, 78, 2.0)):
        cv.line(bx_ - s, by_ - s * 0.6, bx_, by_, 0.9, (20, 14, 30))
        cv.line(bx_, by_, bx_ + s, by_ - s * 0.6, 0.9, (20, 14, 30))

    # name and version
    name = "MH TOOLKIT"
    tw, th = text_size(name, 3)
    cv.text(name, (w - tw) // 2, 18, 3, (255, 240, 180), (244, 150, 46),
            outline=(20, 12, 28), shadow=(0, 0, 0))
    ver = "VERSION 1.1"
    vw, _ = text_size(ver, 2)
    vy = 18 + th + 10
    cv.text(ver, (w - vw) // 2, vy, 2, (236, 232, 250), (190, 180, 220),
            outline=(20, 12, 28), shadow=(0, 0, 0), shadow_off=1)
    return cv


def main():
    os.makedirs(RES_DIR, exist_ok=True)
    images = []
    for size in (32, 16):
        idx, opq = render_icon(size)
        images.append((size, ico_image_4bpp(idx, opq, ICON_PALETTE)))
    write_ico(os.path.join(RES_DIR, "toolkit.ico"), images)
    write_bmp24(os.path.join(RES_DIR, "title.bmp"), render_title().to_bytes_rgb())
    write_bmp24(os.path.join(RES_DIR, "about.bmp"), render_about().to_bytes_rgb())
    for name in ("toolkit.ico", "title.bmp", "about.bmp"):
        print("wrote", os.path.relpath(os.path.join(RES_DIR, name), ROOT))


if __name__ == "__main__":
    main()
