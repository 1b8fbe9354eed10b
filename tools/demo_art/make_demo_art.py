#!/usr/bin/env python3
"""Draws the demo game's sprite sheets: python3 make_demo_art.py OUTPUT_DIR

Every picture is built from a few shapes given as signed distance functions
(negative inside, positive outside, in pixels): the distance gives each pixel
its anti-aliased coverage, so edges come out smooth without supersampling and
outlines are the same shape grown by the outline width. Only the standard
library is used, so the art can be regenerated on any machine with Python 3.
"""

import math
import os
import struct
import sys
import zlib

# ---------------------------------------------------------------------------
# Colours and the canvas

def rgb(hex_text, alpha=1.0):
    """'#rrggbb' as a colour of four floats 0..1 (straight alpha)."""
    value = int(hex_text.lstrip("#"), 16)
    return ((value >> 16 & 255) / 255.0, (value >> 8 & 255) / 255.0, (value & 255) / 255.0, alpha)


def mix(a, b, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(x + (y - x) * t for x, y in zip(a, b))


class Canvas:
    """RGBA pixels kept premultiplied while drawing, so that 'over' is one line."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [(0.0, 0.0, 0.0, 0.0)] * (width * height)

    def blend(self, x, y, colour, coverage):
        alpha = colour[3] * coverage
        if alpha <= 0.0:
            return
        i = y * self.width + x
        r, g, b, a = self.pixels[i]
        keep = 1.0 - alpha
        self.pixels[i] = (colour[0] * alpha + r * keep, colour[1] * alpha + g * keep,
                          colour[2] * alpha + b * keep, alpha + a * keep)

    def paint(self, distance, colour, box=None, grow=0.0):
        """Fills the shape 'distance' (grown by 'grow' pixels) inside box=(x0, y0, x1, y1).

        'colour' is a colour or a function of the pixel centre (x, y) giving one."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(y0, 0), min(y1, self.height)):
            for x in range(max(x0, 0), min(x1, self.width)):
                px, py = x + 0.5, y + 0.5
                coverage = min(max(0.5 - (distance(px, py) - grow), 0.0), 1.0)
                if coverage > 0.0:
                    self.blend(x, y, colour(px, py) if callable(colour) else colour, coverage)

    def outlined(self, distance, fill, outline, width, box=None):
        """The shape with an outline of 'width' pixels around it, as cartoon sprites have."""
        self.paint(distance, outline, box, grow=width)
        self.paint(distance, fill, box)

    def png_bytes(self):
        rows = bytearray()
        for y in range(self.height):
            rows.append(0)  # filter type: none
            for r, g, b, a in self.pixels[y * self.width:(y + 1) * self.width]:
                if a > 0.0:
                    rows += bytes(min(255, round(c / a * 255)) for c in (r, g, b))
                else:
                    rows += b"\0\0\0"
                rows.append(round(a * 255))
        return png_file(self.width, self.height, bytes(rows))


def png_file(width, height, rows):
    def chunk(tag, data):
        body = tag + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header)
            + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))

# ---------------------------------------------------------------------------
# Shapes (signed distances in pixels)

def circle(cx, cy, radius):
    return lambda x, y: math.hypot(x - cx, y - cy) - radius


def ellipse(cx, cy, rx, ry):
    # Scaled circle distance: exact on the axes, close enough for small sprites.
    scale = min(rx, ry)
    return lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * scale


def rotated(shape, cx, cy, angle):
    """The shape turned by 'angle' radians about (cx, cy)."""
    c, s = math.cos(angle), math.sin(angle)
    return lambda x, y: shape(cx + (x - cx) * c + (y - cy) * s, cy - (x - cx) * s + (y - cy) * c)


def segment(ax, ay, bx, by, radius):
    """A capsule: the segment from a to b with rounded ends."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def distance(x, y):
        t = min(max(((x - ax) * dx + (y - ay) * dy) / length2, 0.0), 1.0)
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - radius
    return distance


def polygon(points):
    """Any simple polygon: distance to the nearest edge, negative inside (even-odd)."""
    edges = list(zip(points, points[1:] + points[:1]))

    def distance(x, y):
        nearest = float("inf")
        inside = False
        for (ax, ay), (bx, by) in edges:
            dx, dy = bx - ax, by - ay
            t = min(max(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0), 1.0)
            nearest = min(nearest, math.hypot(x - ax - t * dx, y - ay - t * dy))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / dy:
                inside = not inside
        return -nearest if inside else nearest
    return distance


def star_points(cx, cy, outer, inner, count, turn=0.0):
    points = []
    for i in range(count * 2):
        angle = turn + math.pi * i / count - math.pi / 2
        radius = outer if i % 2 == 0 else inner
        points.append((cx + math.cos(angle) * radius, cy + math.sin(angle) * radius))
    return points


def union(*shapes):
    return lambda x, y: min(shape(x, y) for shape in shapes)


def vertical_gradient(top_colour, bottom_colour, top, bottom):
    return lambda x, y: mix(top_colour, bottom_colour, (y - top) / (bottom - top))


def radial_light(light_colour, dark_colour, cx, cy, radius):
    """Shading lit from (cx, cy): light there, darker with distance."""
    return lambda x, y: mix(light_colour, dark_colour, math.hypot(x - cx, y - cy) / radius)

# ---------------------------------------------------------------------------
# The player: a sprout creature with a four-frame walk (bob, stepping feet, swaying leaves)

SPROUT_OUTLINE = rgb("#1f4d2a")


def draw_sprout(canvas, left, frame):
    bob = (0.0, -1.5, 0.0, -1.5)[frame]
    sway = (-0.25, 0.0, 0.25, 0.0)[frame]
    lift = ((0, 0), (2, 0), (0, 0), (0, 2))[frame]
    box = (left, 0, left + 32, 32)
    cx, cy = left + 16, 19 + bob

    for foot_x, foot_lift in ((cx - 5, lift[0]), (cx + 5, lift[1])):
        canvas.outlined(ellipse(foot_x, 28.5 - foot_lift, 3.6, 2.2), rgb("#2f7a34"), SPROUT_OUTLINE, 1.2, box)

    stem_top = (cx + sway * 3, cy - 11.5)
    canvas.paint(segment(cx, cy - 8, stem_top[0], stem_top[1], 0.9), SPROUT_OUTLINE, box)
    for side in (-1, 1):
        leaf = rotated(ellipse(stem_top[0] + side * 4.2, stem_top[1], 4.2, 1.9),
                       stem_top[0], stem_top[1], -side * 0.55 + sway)
        canvas.outlined(leaf, vertical_gradient(rgb("#a8ec6a"), rgb("#4fae3c"), stem_top[1] - 5, stem_top[1] + 2),
                        SPROUT_OUTLINE, 1.1, box)

    body = ellipse(cx, cy, 11.5 - bob * 0.3, 10.0 + bob * 0.4)
    canvas.outlined(body, radial_light(rgb("#b8f07a"), rgb("#3c9a3c"), cx - 4, cy - 5, 17), SPROUT_OUTLINE, 1.4, box)
    canvas.paint(ellipse(cx - 4.5, cy - 5, 3.5, 2.0), rgb("#ffffff", 0.45), box)

    for eye_x in (cx - 3.5, cx + 3.5):
        canvas.paint(ellipse(eye_x, cy - 0.5, 2.4, 3.0), rgb("#ffffff"), box)
        canvas.paint(circle(eye_x + 0.8, cy, 1.5), rgb("#1b1b2a"), box)
        canvas.paint(circle(eye_x + 0.2, cy - 1.2, 0.6), rgb("#ffffff"), box)
    for cheek_x in (cx - 7, cx + 7.5):
        canvas.paint(ellipse(cheek_x, cy + 3.5, 2.2, 1.3), rgb("#ff7a8a", 0.55), box)
    canvas.paint(segment(cx - 1.5, cy + 4.5, cx + 2.5, cy + 4.5, 0.6), SPROUT_OUTLINE, box)

# ---------------------------------------------------------------------------
# The enemy: a gloom bat, wings up and down

GLOOM_OUTLINE = rgb("#24103a")


def draw_gloom(canvas, left, frame):
    box = (left, 0, left + 32, 32)
    cx, cy = left + 16, 16
    flap = (-0.6, 0.45)[frame]
    for side in (-1, 1):
        wing = polygon([(cx + side * 5, cy - 2), (cx + side * 13.5, cy - 7), (cx + side * 11, cy + 1),
                        (cx + side * 13, cy + 5), (cx + side * 6, cy + 4)])
        canvas.outlined(rotated(wing, cx + side * 5, cy, side * flap), rgb("#6a3d9a"), GLOOM_OUTLINE, 1.2, box)
    for side in (-1, 1):
        ear = polygon([(cx + side * 3, cy - 7), (cx + side * 7, cy - 13), (cx + side * 8, cy - 5)])
        canvas.outlined(ear, rgb("#8e5cc4"), GLOOM_OUTLINE, 1.2, box)
    canvas.outlined(circle(cx, cy, 8.5), radial_light(rgb("#c99cf2"), rgb("#5a2d88"), cx - 3, cy - 4, 14),
                    GLOOM_OUTLINE, 1.4, box)
    for side in (-1, 1):
        canvas.paint(ellipse(cx + side * 3.5, cy - 0.5, 2.3, 2.6), rgb("#ffe45c"), box)
        canvas.paint(circle(cx + side * 3.1, cy, 1.1), rgb("#24103a"), box)
        canvas.paint(segment(cx + side * 1.2, cy - 2.6, cx + side * 6, cy - 4.6, 0.8), GLOOM_OUTLINE, box)
    for side in (-1, 1):
        canvas.paint(polygon([(cx + side * 1.0, cy + 4), (cx + side * 3.2, cy + 4), (cx + side * 2.1, cy + 6.5)]),
                     rgb("#ffffff"), box)

# ---------------------------------------------------------------------------
# Pickups: a golden star and a blue gem

def draw_star(canvas, left):
    box = (left, 0, left + 32, 32)
    cx, cy = left + 16, 16.5
    shape = polygon(star_points(cx, cy, 13, 6, 5))
    canvas.outlined(shape, radial_light(rgb("#fff3a0"), rgb("#f29d1a"), cx - 3, cy - 4, 15), rgb("#7a4a0a"), 1.4, box)
    canvas.paint(polygon(star_points(cx - 1, cy - 1, 6, 2.8, 5)), rgb("#ffffff", 0.35), box)
    for eye_x in (cx - 2.6, cx + 2.6):
        canvas.paint(ellipse(eye_x, cy, 1.0, 1.6), rgb("#5a3406"), box)


def draw_gem(canvas, left):
    box = (left, 0, left + 32, 32)
    cx = left + 16
    outline = rgb("#0d3a5c")
    outer = polygon([(cx - 12, 11), (cx - 6, 5), (cx + 6, 5), (cx + 12, 11), (cx, 28)])
    canvas.outlined(outer, vertical_gradient(rgb("#9ff6ff"), rgb("#1b7fc0"), 5, 28), outline, 1.4, box)
    canvas.paint(polygon([(cx - 6, 5), (cx + 6, 5), (cx + 3, 11), (cx - 3, 11)]), rgb("#e8feff", 0.8), box)
    canvas.paint(polygon([(cx - 12, 11), (cx - 3, 11), (cx, 28)]), rgb("#3fb6e8", 0.55), box)
    canvas.paint(polygon([(cx + 12, 11), (cx + 3, 11), (cx, 28)]), rgb("#0f5e96", 0.45), box)
    canvas.paint(segment(cx - 12, 11, cx + 12, 11, 0.5), outline, box)

# ---------------------------------------------------------------------------
# Props: a bush, a mushroom, a flower patch and a rock (pivot at the bottom centre)

def draw_bush(canvas, left):
    box = (left, 0, left + 32, 32)
    cx = left + 16
    shape = union(circle(cx - 7, 21, 7), circle(cx + 7, 21, 7), circle(cx, 15, 9), circle(cx, 23, 8))
    canvas.outlined(shape, radial_light(rgb("#7ccc5a"), rgb("#2b6e34"), cx - 4, 10, 22), rgb("#173d22"), 1.4, box)
    for bx, by in ((cx - 6, 17), (cx + 5, 13), (cx + 8, 23), (cx - 2, 25)):
        canvas.paint(circle(bx, by, 1.6), rgb("#e2405a"), box)
        canvas.paint(circle(bx - 0.5, by - 0.5, 0.5), rgb("#ffffff", 0.8), box)


def draw_mushroom(canvas, left):
    box = (left, 0, left + 32, 32)
    cx = left + 16
    outline = rgb("#4a1e14")
    canvas.outlined(ellipse(cx, 24, 4.5, 6), rgb("#f4e6cf"), outline, 1.3, box)
    cap = lambda x, y: max(ellipse(cx, 18, 12, 10)(x, y), y - 18.5)
    canvas.outlined(cap, radial_light(rgb("#ff7a5c"), rgb("#b8282a"), cx - 4, 10, 15), outline, 1.3, box)
    for sx, sy, r in ((cx - 5, 13, 2.2), (cx + 4, 11, 1.8), (cx + 7, 16, 1.4), (cx - 1, 16, 1.3)):
        canvas.paint(circle(sx, sy, r), rgb("#fff5e8"), box)


def draw_flowers(canvas, left):
    box = (left, 0, left + 32, 32)
    cx = left + 16
    for fx, fy, petal in ((cx - 7, 20, "#f7f0ff"), (cx + 6, 17, "#ffd1e8"), (cx, 25, "#cfe4ff")):
        canvas.paint(segment(fx, fy, fx + 0.5, 30, 0.7), rgb("#2f6b2c"), box)
        for i in range(5):
            angle = 2 * math.pi * i / 5
            canvas.outlined(circle(fx + math.cos(angle) * 2.6, fy + math.sin(angle) * 2.6, 1.9), rgb(petal),
                            rgb("#6b4a7a", 0.8), 0.7, box)
        canvas.paint(circle(fx, fy, 1.5), rgb("#ffc93c"), box)


def draw_rock(canvas, left):
    box = (left, 0, left + 32, 32)
    cx = left + 16
    shape = polygon([(cx - 11, 29), (cx - 9, 21), (cx - 3, 17), (cx + 5, 18), (cx + 11, 23), (cx + 12, 29)])
    canvas.outlined(shape, radial_light(rgb("#c7c9d6"), rgb("#6d7285"), cx - 3, 18, 15), rgb("#2c2f3d"), 1.3, box)
    canvas.paint(segment(cx - 2, 21, cx + 3, 22, 0.6), rgb("#ffffff", 0.4), box)

# ---------------------------------------------------------------------------
# The ground tile: a seamless meadow at dusk, 128 x 128

def wrapped_distance(x, y, px, py, size):
    dx = min(abs(x - px), size - abs(x - px))
    dy = min(abs(y - py), size - abs(y - py))
    return math.hypot(dx, dy)


def scattered_points(count, size, seed):
    """Fixed, evenly spread but irregular spots: a small linear congruential
    sequence, so the tile comes out the same on every run."""
    points = []
    state = seed
    for _ in range(count):
        state = (state * 1103515245 + 12345) % 2147483648
        x = state % size
        state = (state * 1103515245 + 12345) % 2147483648
        points.append((x, state % size))
    return points


def draw_ground(canvas):
    size = canvas.width
    light, dark = rgb("#4f8f4a"), rgb("#3b7140")
    # Gentle lighter and darker patches whose periods divide the tile, so edges meet.
    for y in range(size):
        for x in range(size):
            wave = (math.sin(2 * math.pi * x / size) * math.cos(4 * math.pi * y / size)
                    + 0.6 * math.sin(2 * math.pi * (x + 2 * y) / size))
            canvas.blend(x, y, mix(dark, light, 0.5 + 0.3 * wave), 1.0)
    # Grass tufts of three short blades, drawn again across the edges they cross.
    blade = rgb("#2c5e30", 0.85)
    for tx, ty in scattered_points(22, size, 7):
        for offset_x in (-size, 0, size):
            for offset_y in (-size, 0, size):
                bx, by = tx + offset_x, ty + offset_y
                if -4 <= bx <= size + 4 and -6 <= by <= size + 6:
                    for lean in (-2.0, 0.0, 2.0):
                        canvas.paint(segment(bx + lean * 0.4, by, bx + lean, by - 4, 0.5), blade,
                                     (int(bx) - 4, int(by) - 6, int(bx) + 5, int(by) + 2))
    # A few tiny, dim flowers: pale petals and a yellow heart.
    for fx, fy in scattered_points(4, size, 99):
        for y in range(size):
            for x in range(size):
                d = wrapped_distance(x + 0.5, y + 0.5, fx, fy, size)
                if d < 2.4:
                    canvas.blend(x, y, rgb("#dfe8f0", 0.8) if d > 0.9 else rgb("#f0c040"), min(1.0, 2.4 - d))

# ---------------------------------------------------------------------------
# Effects sheet, 64 x 32: click ring (0,0,32,32), shadow (32,0,32,16),
# spark (32,16,16,16) and glow dot (48,16,16,16)

def draw_effects(canvas):
    ring = lambda x, y: abs(math.hypot(x - 16, y - 16) - 11.5) - 1.6
    canvas.paint(ring, rgb("#ffffff"), (0, 0, 32, 32))
    for y in range(0, 16):
        for x in range(32, 64):
            d = math.hypot((x + 0.5 - 48) / 14.0, (y + 0.5 - 8) / 6.0)
            if d < 1.0:
                canvas.blend(x, y, rgb("#0c1a10"), 0.45 * (1.0 - d * d))
    for y in range(16, 32):
        for x in range(32, 48):
            dx, dy = x + 0.5 - 40, y + 0.5 - 24
            glow = max(0.0, 1.0 - math.hypot(dx, dy) / 7.5) ** 2
            cross = max(0.0, 1.0 - abs(dx) / 1.2) * max(0.0, 1.0 - abs(dy) / 7.5) \
                + max(0.0, 1.0 - abs(dy) / 1.2) * max(0.0, 1.0 - abs(dx) / 7.5)
            canvas.blend(x, y, rgb("#ffffff"), min(1.0, glow + 0.8 * cross))
    for y in range(16, 32):
        for x in range(48, 64):
            d = math.hypot(x + 0.5 - 56, y + 0.5 - 24) / 7.5
            if d < 1.0:
                canvas.blend(x, y, rgb("#ffffff"), (1.0 - d) ** 1.5)

# ---------------------------------------------------------------------------

def sheet(width, height, painters):
    canvas = Canvas(width, height)
    for painter in painters:
        painter(canvas)
    return canvas


SHEETS = {
    "player.png": lambda: sheet(128, 32, [lambda c, f=f: draw_sprout(c, f * 32, f) for f in range(4)]),
    "gloom.png": lambda: sheet(64, 32, [lambda c, f=f: draw_gloom(c, f * 32, f) for f in range(2)]),
    "pickups.png": lambda: sheet(64, 32, [lambda c: draw_star(c, 0), lambda c: draw_gem(c, 32)]),
    "props.png": lambda: sheet(128, 32, [lambda c: draw_bush(c, 0), lambda c: draw_mushroom(c, 32),
                                         lambda c: draw_flowers(c, 64), lambda c: draw_rock(c, 96)]),
    "ground.png": lambda: sheet(128, 128, [draw_ground]),
    "effects.png": lambda: sheet(64, 32, [draw_effects]),
}


def main(arguments):
    if len(arguments) != 2:
        sys.stderr.write("usage: make_demo_art.py OUTPUT_DIR\n")
        return 2
    os.makedirs(arguments[1], exist_ok=True)
    for name, make in SHEETS.items():
        with open(os.path.join(arguments[1], name), "wb") as output:
            output.write(make().png_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
