#!/usr/bin/python3
"""Draws the program's pictures, icon and sound into resources/art/.

Run with Debian's Python and Pillow:  /usr/bin/python3 tools/make_artwork.py
Output is deterministic, so a regenerated file only differs when the drawing changed.
`--sheet FILE` also writes a contact sheet of every picture, enlarged 4x, for looking at.

Everything is drawn in picture-pixel coordinates on a canvas supersampled SS times and then
box-filtered down, which gives clean anti-aliased edges. The pictures are drawn once more for each
display scale in SCALES, in coordinates of the 100 % picture, so a larger picture is drawn, not
enlarged: its size is the 100 % size times the scale, rounded to the nearest pixel (halves up),
as the program scales its layout.
"""

import io
import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "resources", "art")
SS = 8
# Display scales beyond 100 %: resource-name and file-name suffix, factor.
SCALES = (("_125", 1.25), ("_150", 1.5), ("_200", 2.0))
# The scale pictures are being drawn at; see drawn_at.
_scale = 1.0


def scaled_px(v, k):
    """A length of the 100 % picture at scale k, rounded like the program's MulDiv."""
    return int(math.floor(v * k + 0.5))


class drawn_at:
    """Draws every Canvas made inside the block at scale k."""

    def __init__(self, k):
        self.k = k

    def __enter__(self):
        global _scale
        self.previous, _scale = _scale, self.k

    def __exit__(self, *exc):
        global _scale
        _scale = self.previous

# One palette for everything.
NAVY_TOP = (46, 92, 160)
NAVY_BOTTOM = (18, 42, 92)
NAVY_EDGE = (12, 30, 70)
CYAN = (120, 212, 255)
WHITE = (255, 255, 255)
GREEN_LIGHT = (126, 214, 96)
GREEN = (58, 168, 62)
GREEN_DARK = (28, 112, 40)
RED_LIGHT = (246, 96, 80)
RED = (214, 40, 34)
RED_DARK = (150, 20, 18)
BLUE_LIGHT = (96, 166, 240)
BLUE = (40, 110, 206)
BLUE_DARK = (22, 70, 150)
GREY_LIGHT = (214, 218, 224)
GREY = (160, 166, 174)
GREY_DARK = (112, 118, 128)
BUTTON_TOP = (253, 253, 254)
BUTTON_BOTTOM = (206, 211, 218)
BUTTON_RIM = (138, 146, 158)
PANEL_TOP = (250, 252, 255)
PANEL_BOTTOM = (226, 234, 245)
TAB_TOP = (214, 234, 252)
TAB_BOTTOM = (176, 210, 240)
TAB_EDGE = (120, 160, 205)


# ---------------------------------------------------------------------------------------------
# Drawing on a supersampled canvas


class Canvas:
    """An RGBA picture of w x h pixels drawn at SS times the resolution."""

    def __init__(self, w, h, ss=SS):
        k = _scale
        # w and h stay the 100 % size the drawing's coordinates refer to.
        self.w, self.h = w, h
        self.s = ss if k == 1.0 else ss * k
        self.out = (scaled_px(w, k), scaled_px(h, k))
        self.size = (self.out[0] * ss, self.out[1] * ss)
        self.img = Image.new("RGBA", self.size, (0, 0, 0, 0))

    # Masks: 'L' images in canvas resolution; shapes take picture-pixel coordinates.
    def mask(self):
        return Image.new("L", self.size, 0)

    def _xy(self, pts):
        return [(x * self.s, y * self.s) for x, y in pts]

    def ellipse(self, m, x0, y0, x1, y1, fill=255):
        ImageDraw.Draw(m).ellipse([x0 * self.s, y0 * self.s, x1 * self.s - 1, y1 * self.s - 1], fill=fill)
        return m

    def circle(self, m, cx, cy, r, fill=255):
        return self.ellipse(m, cx - r, cy - r, cx + r, cy + r, fill)

    def rect(self, m, x0, y0, x1, y1, fill=255):
        ImageDraw.Draw(m).rectangle([x0 * self.s, y0 * self.s, x1 * self.s - 1, y1 * self.s - 1], fill=fill)
        return m

    def rrect(self, m, x0, y0, x1, y1, r, fill=255, corners=None):
        box = [x0 * self.s, y0 * self.s, x1 * self.s - 1, y1 * self.s - 1]
        d = ImageDraw.Draw(m)
        d.rounded_rectangle(box, radius=r * self.s, fill=fill)
        # Corners (top-left, top-right, bottom-right, bottom-left) that stay square.
        if corners is not None:
            rs = r * self.s
            squares = [(box[0], box[1]), (box[2] - rs, box[1]), (box[2] - rs, box[3] - rs), (box[0], box[3] - rs)]
            for (x, y), rounded in zip(squares, corners):
                if not rounded:
                    d.rectangle([x, y, x + rs, y + rs], fill=fill)
        return m

    def poly(self, m, pts, fill=255):
        ImageDraw.Draw(m).polygon(self._xy(pts), fill=fill)
        return m

    def stroke(self, m, pts, width, fill=255, round_caps=True):
        d = ImageDraw.Draw(m)
        xy = self._xy(pts)
        d.line(xy, fill=fill, width=max(1, int(round(width * self.s))), joint="curve")
        if round_caps:
            for x, y in (xy[0], xy[-1]):
                r = width * self.s / 2
                d.ellipse([x - r, y - r, x + r, y + r], fill=fill)
        return m

    def ring_arc(self, m, cx, cy, r_in, r_out, a0, a1, fill=255):
        """Band between two radii from angle a0 to a1 (degrees, clockwise from +x, y down)."""
        pts = arc_points(cx, cy, r_out, a0, a1) + arc_points(cx, cy, r_in, a1, a0)
        return self.poly(m, pts, fill)

    # Painting
    def paint(self, m, fill, opacity=1.0):
        """Composites `fill` (a colour or an RGB(A) image of canvas size) through mask m."""
        if isinstance(fill, tuple):
            layer = Image.new("RGBA", self.size, fill[:3] + (255,))
            alpha = m
        else:
            layer = fill.convert("RGBA")
            alpha = ImageChops.multiply(m, layer.getchannel("A"))
        if opacity < 1.0:
            alpha = alpha.point(lambda v: int(round(v * opacity)))
        layer = layer.copy()
        layer.putalpha(alpha)
        self.img.alpha_composite(layer)

    def shadow(self, m, offset=(0, 0), blur=1.0, opacity=0.4, color=(0, 0, 0)):
        sh = m.filter(ImageFilter.GaussianBlur(blur * self.s))
        if offset != (0, 0):
            sh = ImageChops.offset(sh, int(offset[0] * self.s), int(offset[1] * self.s))
        self.paint(sh, color, opacity)

    def vgrad(self, top, bottom, y0=0, y1=None):
        return vertical_gradient(self.size, top, bottom, y0 * self.s, (self.h if y1 is None else y1) * self.s)

    def rgrad(self, inner, outer, cx, cy, r):
        return radial_gradient(self.size, inner, outer, cx * self.s, cy * self.s, r * self.s)

    def result(self):
        return self.img.resize(self.out, Image.Resampling.BOX)

    def odd(self):
        """The odd filter size nearest one picture pixel, for growing a mask by about half a pixel."""
        return 2 * int(self.s // 2) + 1


def arc_points(cx, cy, r, a0, a1, steps=None):
    steps = steps or max(8, int(abs(a1 - a0) / 3))
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / steps))) for i in range(steps + 1)]


def lerp(c0, c1, t):
    return tuple(int(round(a + (b - a) * t)) for a, b in zip(c0, c1))


def vertical_gradient(size, top, bottom, y0, y1):
    w, h = size
    col = Image.new("RGB", (1, h))
    span = max(1.0, float(y1 - y0))
    col.putdata([lerp(top, bottom, min(1.0, max(0.0, (y - y0) / span))) for y in range(h)])
    return col.resize((w, h), Image.Resampling.NEAREST)


def radial_gradient(size, inner, outer, cx, cy, r):
    w, h = size
    # Computed at a quarter of the resolution and smoothed up: gradients have no edges to keep.
    sw, sh = max(1, w // 4), max(1, h // 4)
    t = Image.new("L", (sw, sh))
    data = []
    for y in range(sh):
        for x in range(sw):
            d = math.hypot((x + 0.5) * 4 - cx, (y + 0.5) * 4 - cy) / r
            data.append(int(round(255 * min(1.0, d))))
    t.putdata(data)
    t = t.resize((w, h), Image.Resampling.BILINEAR)
    return Image.composite(Image.new("RGB", (w, h), outer), Image.new("RGB", (w, h), inner), t)


def rotate_points(pts, cx, cy, deg):
    a = math.radians(deg)
    ca, sa = math.cos(a), math.sin(a)
    return [(cx + (x - cx) * ca - (y - cy) * sa, cy + (x - cx) * sa + (y - cy) * ca) for x, y in pts]


def ellipse_points(cx, cy, rx, ry, deg=0.0, steps=72):
    pts = [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
           for i in range(steps)]
    return rotate_points(pts, cx, cy, deg)


# ---------------------------------------------------------------------------------------------
# The product mark: a white note sending out cyan sound arcs, on a dark-blue rounded tile.


def tile(c, x0, y0, size, radius):
    """The dark-blue tile with a soft light falling from the top and a darker rim."""
    m = c.rrect(c.mask(), x0, y0, x0 + size, y0 + size, radius)
    c.paint(m, c.vgrad(NAVY_TOP, NAVY_BOTTOM, y0, y0 + size))
    light = ImageChops.multiply(m, c.vgrad((255,) * 3, (0,) * 3, y0, y0 + size * 0.6).convert("L"))
    c.paint(light, WHITE, 0.16)
    rim = min(size / 32, 2.0)
    edge = ImageChops.subtract(m, c.rrect(c.mask(), x0 + rim, y0 + rim, x0 + size - rim, y0 + size - rim,
                                           radius - rim * 0.7))
    c.paint(edge, NAVY_EDGE, 0.6)
    return m


# The mark is designed on a 16-unit grid so that its stem sits on whole pixels at 16 px.
NOTE_STEM = (6.0, 2.6, 8.0, 11.6)
NOTE_HEAD = (5.2, 11.6, 2.9, 2.15, -22)  # centre, radii, tilt
ARC_CENTRE = (8.0, 5.8)


def note_shape(c, m, x0, y0, size):
    """A quarter note, in a 16-unit design box at (x0, y0)."""
    u = size / 16.0
    hx, hy, rx, ry, tilt = NOTE_HEAD
    c.poly(m, ellipse_points(x0 + hx * u, y0 + hy * u, rx * u, ry * u, tilt))
    sx0, sy0, sx1, sy1 = NOTE_STEM
    c.rect(m, x0 + sx0 * u, y0 + sy0 * u, x0 + sx1 * u, y0 + sy1 * u)
    return m


def sound_arcs(c, m, x0, y0, size):
    u = size / 16.0
    cx, cy = x0 + ARC_CENTRE[0] * u, y0 + ARC_CENTRE[1] * u
    for r in (2.7, 5.0):
        c.ring_arc(m, cx, cy, (r - 0.7) * u, (r + 0.7) * u, -56, 56)
    return m


def mark(c, x0, y0, size, radius=None, arcs=True, note_color=WHITE):
    radius = size * 0.19 if radius is None else radius
    t = tile(c, x0, y0, size, radius)
    n = note_shape(c, c.mask(), x0, y0, size)
    if size >= 32:
        c.shadow(n, (0, size / 64), size / 80, 0.35)
    c.paint(n, note_color)
    if arcs:
        a = sound_arcs(c, c.mask(), x0, y0, size)
        if size >= 32:
            c.shadow(a, (0, size / 64), size / 80, 0.3)
        c.paint(a, CYAN)
    return t


def draw_mark_picture(size, margin=0.0):
    c = Canvas(size, size)
    m = margin * size
    mark(c, m, m, size - 2 * m)
    return c.result()


# ---------------------------------------------------------------------------------------------
# Green symbols, drawn into masks in a 16-unit box so one shape serves the tray and the buttons.


def circling_arrows(c, x0, y0, size, angle):
    u = size / 16.0
    cx, cy = x0 + 8 * u, y0 + 8 * u
    m = c.mask()
    r_out, r_in = 6.1 * u, 4.0 * u
    for base in (0, 180):
        a0, a1 = base + angle + 10, base + angle + 130
        c.ring_arc(m, cx, cy, r_in, r_out, a0, a1)
        # Arrow head at the leading end, pointing along the circle.
        tip_a = math.radians(a1 + 42)
        mid = (r_in + r_out) / 2
        head = [
            (cx + (r_out + 1.9 * u) * math.cos(math.radians(a1)), cy + (r_out + 1.9 * u) * math.sin(math.radians(a1))),
            (cx + mid * math.cos(tip_a), cy + mid * math.sin(tip_a)),
            (cx + (r_in - 1.9 * u) * math.cos(math.radians(a1)), cy + (r_in - 1.9 * u) * math.sin(math.radians(a1))),
        ]
        c.poly(m, head)
    return m


def up_arrow(c, x0, y0, size):
    u = size / 16.0
    pts = [(8, 1.6), (14.2, 8.0), (10.4, 8.0), (10.4, 14.4), (5.6, 14.4), (5.6, 8.0), (1.8, 8.0)]
    return c.poly(c.mask(), [(x0 + x * u, y0 + y * u) for x, y in pts])


def radiating_arcs(c, x0, y0, size):
    u = size / 16.0
    cx, cy = x0 + 8 * u, y0 + 8 * u
    m = c.circle(c.mask(), cx, cy, 1.7 * u)
    for r in (4.1, 6.8):
        for a in (0, 180):
            c.ring_arc(m, cx, cy, (r - 0.6) * u, (r + 0.6) * u, a - 40, a + 40)
    return m


def thumbs_up(c, x0, y0, size):
    u = size / 16.0

    def p(pts):
        return [(x0 + x * u, y0 + y * u) for x, y in pts]

    m = c.mask()
    # Cuff on the left, then the hand with the thumb raised.
    c.rrect(m, x0 + 1.6 * u, y0 + 7.0 * u, x0 + 4.6 * u, y0 + 14.6 * u, 0.7 * u)
    hand = p([(5.4, 7.4), (7.6, 4.6), (8.4, 1.7), (9.3, 0.9), (10.7, 1.2), (11.4, 2.6), (11.0, 5.2),
              (10.4, 6.6), (13.3, 6.6), (14.4, 7.5), (14.4, 8.5), (13.9, 9.3), (14.2, 10.2), (13.7, 11.2),
              (13.8, 12.1), (13.1, 13.1), (13.1, 13.8), (12.3, 14.6), (5.4, 14.6)])
    c.poly(m, hand)
    # Rounded fingertips on the right edge.
    for y, r in ((7.9, 0.95), (10.0, 0.85), (12.1, 0.8), (13.9, 0.7)):
        c.circle(m, x0 + (13.4 if y < 13 else 12.3) * u, y0 + y * u, r * u)
    return m


def finger_lines(c, x0, y0, size):
    u = size / 16.0
    m = c.mask()
    for y in (9.05, 11.15, 13.1):
        c.stroke(m, [(x0 + 10.6 * u, y0 + y * u), (x0 + 13.4 * u, y0 + y * u)], 0.45 * u)
    return m


def eighth_note(c, x0, y0, size):
    u = size / 16.0
    m = c.mask()
    c.poly(m, ellipse_points(x0 + 5.0 * u, y0 + 12.2 * u, 2.7 * u, 1.95 * u, -22))
    c.rect(m, x0 + 6.55 * u, y0 + 2.2 * u, x0 + 7.8 * u, y0 + 12.0 * u)
    flag = [(7.8, 2.2), (9.3, 3.6), (11.6, 5.0), (12.2, 7.4), (11.2, 9.8), (11.0, 9.6), (11.3, 7.6),
            (10.4, 6.2), (7.8, 5.4)]
    c.poly(m, [(x0 + x * u, y0 + y * u) for x, y in flag])
    return m


def magnifier(c, x0, y0, size, cx=9.5, cy=6.5, r=4.4, handle_angle=135):
    """Lens ring, lens glass and handle masks of a magnifying glass; proportions follow r."""
    u = size / 16.0
    ccx, ccy = x0 + cx * u, y0 + cy * u
    ring = c.circle(c.mask(), ccx, ccy, r * u)
    glass = c.circle(c.mask(), ccx, ccy, r * 0.72 * u)
    ring = ImageChops.subtract(ring, glass)
    dx, dy = math.cos(math.radians(handle_angle)), math.sin(math.radians(handle_angle))
    h0 = (ccx + (r - 0.4) * u * dx, ccy + (r - 0.4) * u * dy)
    h1 = (h0[0] + r * 0.95 * u * dx, h0[1] + r * 0.95 * u * dy)
    handle = c.stroke(c.mask(), [h0, h1], r * 0.5 * u)
    return ring, glass, handle


def paint_green(c, m, box_y0, box_y1, outline=True):
    """Green symbol with a light top, a dark bottom and a thin darker outline."""
    if outline:
        grown = m.filter(ImageFilter.MaxFilter(c.odd()))
        c.paint(grown, GREEN_DARK, 0.9)
    c.paint(m, c.vgrad(GREEN_LIGHT, GREEN_DARK, box_y0, box_y1))


# ---------------------------------------------------------------------------------------------
# Pictures


def status_button(symbol):
    """44 x 44 round grey button with a green symbol."""
    c = Canvas(44, 44)
    disc = c.circle(c.mask(), 22, 21.5, 19.5)
    c.shadow(disc, (0, 1.2), 1.2, 0.35)
    c.paint(c.circle(c.mask(), 22, 21.5, 20.5), BUTTON_RIM)
    c.paint(disc, c.rgrad(BUTTON_TOP, BUTTON_BOTTOM, 20, 12, 30))
    # Glossy upper half and a soft inner lower shade.
    gloss = c.ellipse(c.mask(), 8, 4, 36, 24)
    c.paint(ImageChops.multiply(gloss, disc), (255, 255, 255), 0.45)
    symbol(c)
    return c.result()


def symbol_box(c, draw, x0=10, y0=9.5, size=24, outline=True):
    m = draw(c, x0, y0, size)
    c.shadow(m, (0, 0.8), 0.7, 0.3)
    paint_green(c, m, y0, y0 + size, outline)
    return m


def status_connecting(c):
    symbol_box(c, lambda c, x, y, s: circling_arrows(c, x, y, s, -20))


def status_uploading(c):
    symbol_box(c, up_arrow)


def status_streaming(c):
    symbol_box(c, radiating_arcs)


def status_idle(c):
    symbol_box(c, thumbs_up)
    c.paint(finger_lines(c, 10, 9.5, 24), GREEN_DARK, 0.9)


def status_indexing(c):
    note = eighth_note(c, 4.5, 6.5, 26)
    c.shadow(note, (0, 0.8), 0.7, 0.3)
    paint_green(c, note, 8, 34)
    ring, glass, handle = magnifier(c, 0, 0, 16, cx=26.5, cy=18.5, r=7.2, handle_angle=45)
    c.paint(glass, (236, 248, 238), 0.4)
    c.paint(ImageChops.multiply(glass, c.ellipse(c.mask(), 21.5, 13, 30, 17.5)), WHITE, 0.6)
    symbol = ImageChops.lighter(ring, handle)
    c.shadow(symbol, (0, 0.8), 0.7, 0.3)
    paint_green(c, symbol, 11, 33)


def background():
    c = Canvas(208, 184, 2)
    full = c.rect(c.mask(), 0, 0, 208, 184)
    c.paint(full, c.vgrad(PANEL_TOP, PANEL_BOTTOM, 4, 184))
    # Brand band along the top edge.
    c.paint(c.rect(c.mask(), 0, 0, 208, 3), c.vgrad(NAVY_TOP, NAVY_BOTTOM, 0, 3))
    c.paint(c.rect(c.mask(), 0, 3, 208, 4), CYAN, 0.55)
    # Faint wave watermark in the lower right, well clear of the texts' contrast.
    waves = c.mask()
    for k, amp in ((0, 6.0), (1, 4.5), (2, 3.0)):
        pts = [(x, 128 + k * 5 + amp * math.sin((x - 40) / 26.0 + k * 0.9)) for x in range(40, 209, 2)]
        c.stroke(waves, pts, 1.2, round_caps=False)
    fade = Image.linear_gradient("L").rotate(90).resize(c.size)  # transparent on the left
    c.paint(ImageChops.multiply(waves, fade), (150, 180, 220), 0.22)
    # A quiet footer behind the buttons.
    c.paint(c.rect(c.mask(), 0, 142, 208, 184), c.vgrad((236, 241, 248), (218, 227, 239), 142, 184), 0.9)
    c.paint(c.rect(c.mask(), 0, 142, 208, 143), (196, 208, 224))
    c.paint(c.rect(c.mask(), 0, 143, 208, 144), WHITE, 0.8)
    return c.result().convert("RGB")


def tray_still(disconnected):
    c = Canvas(16, 16)
    mark(c, 0, 0, 16, 3.2)
    if disconnected:
        # A pixel-exact cross, 5 x 5 with a one-pixel centre, reads best at this size.
        c.paint(c.circle(c.mask(), 11.5, 11.5, 4.6), WHITE)
        c.paint(c.circle(c.mask(), 11.5, 11.5, 3.85), c.vgrad(RED_LIGHT, RED_DARK, 8, 15.5))
        x = c.mask()
        for k in range(5):
            c.rect(x, 9 + k, 9 + k, 10 + k, 10 + k)
            c.rect(x, 13 - k, 9 + k, 14 - k, 10 + k)
        c.paint(x, WHITE)
    return c.result()


def strip(frames):
    size = frames[0].height
    out = Image.new("RGBA", (size * len(frames), size), (0, 0, 0, 0))
    for i, f in enumerate(frames):
        out.paste(f, (size * i, 0))
    return out


def anim_connecting():
    frames = []
    for i in range(4):
        c = Canvas(16, 16)
        tile(c, 0, 0, 16, 3.2)
        m = circling_arrows(c, 0.5, 0.5, 15, -20 + 45 * i)
        c.paint(m, c.vgrad(GREEN_LIGHT, GREEN, 1, 15))
        frames.append(c.result())
    return strip(frames)


def anim_streaming():
    frames = []
    for i in range(7):
        c = Canvas(16, 16)
        t = mark(c, 0, 0, 16, 3.2)
        # A soft diagonal light band sweeping from the upper left to the lower right.
        pos = 4 + i * 5.0
        band = c.mask()
        c.poly(band, [(pos - 3, 0), (pos + 1, 0), (pos + 1 - 16, 16), (pos - 3 - 16, 16)])
        band = band.filter(ImageFilter.GaussianBlur(1.2 * c.s))
        c.paint(ImageChops.multiply(band, t), WHITE, 0.55)
        frames.append(c.result())
    return strip(frames)


def anim_uploading():
    frames = []
    for i in range(10):
        c = Canvas(16, 16)
        tile(c, 0, 0, 16, 3.2)
        level = 0.5 - 0.5 * math.cos(2 * math.pi * i / 10)
        m = up_arrow(c, 1.5, 1.0 + 1.2 * (1 - level), 13)
        c.paint(m, c.vgrad(GREEN_LIGHT, GREEN, 1, 15), 0.2 + 0.8 * level)
        frames.append(c.result())
    return strip(frames)


def anim_indexing():
    frames = []
    for i in range(10):
        c = Canvas(16, 16)
        tile(c, 0, 0, 16, 3.2)
        dx = 1.0 * math.sin(2 * math.pi * i / 10)
        ring, glass, handle = magnifier(c, dx, 0, 16, cx=9.4, cy=6.6, r=4.9)
        c.paint(glass, (150, 200, 245), 0.35)
        if i in (5, 6):
            c.paint(c.circle(c.mask(), 9.4 + dx, 6.6, 1.9), RED_LIGHT)
        c.paint(handle, (200, 206, 214))
        c.paint(ring, WHITE)
        frames.append(c.result())
    return strip(frames)


def notification_frame(i):
    c = Canvas(27, 21)
    tab = c.rrect(c.mask(), 0, -8, 27, 21, 8, corners=(False, False, False, True))
    c.paint(tab, c.vgrad(TAB_TOP, TAB_BOTTOM, 0, 21))
    edge = ImageChops.subtract(tab, c.rrect(c.mask(), 1, -8, 28, 20, 7, corners=(False, False, False, True)))
    c.paint(edge, TAB_EDGE)
    # Pole and a flag whose free end waves with the phase of the frame.
    pole = c.rrect(c.mask(), 7.2, 2.5, 8.6, 18.6, 0.6)
    c.paint(pole, c.vgrad(GREY_DARK, (70, 76, 86), 2.5, 18.6))
    c.paint(c.circle(c.mask(), 7.9, 2.6, 1.1), GREY_DARK)
    phase = i * math.pi / 2
    top, bottom = [], []
    for k in range(25):
        t = k / 24.0
        x = 8.6 + t * 13.4
        wave = 1.9 * t * math.sin(phase + t * 2.4 * math.pi) + 0.8 * t
        top.append((x, 3.6 + wave))
        bottom.append((x, 11.2 + wave - 0.6 * t))
    flag = c.poly(c.mask(), top + bottom[::-1])
    c.shadow(flag, (0.5, 0.7), 0.6, 0.25)
    c.paint(flag, c.vgrad(RED_LIGHT, RED_DARK, 3.6, 11.6))
    # Light on the crests of the wave.
    shine = c.mask()
    c.stroke(shine, [(x, y + 1.4) for x, y in top[2:]], 1.0, round_caps=False)
    c.paint(ImageChops.multiply(shine, flag), WHITE, 0.25)
    return c.result()


def about_picture():
    c = Canvas(250, 300, 4)
    panel = c.rrect(c.mask(), 16, 72, 234, 282, 18)
    c.shadow(panel, (0, 4), 7, 0.42)
    # Soft, partly transparent edge around the panel.
    halo = c.rrect(c.mask(), 13, 69, 237, 285, 21).filter(ImageFilter.GaussianBlur(1.5 * c.s))
    c.paint(halo, WHITE, 0.45)
    c.paint(panel, c.vgrad((255, 255, 255), (222, 232, 245), 110, 282))
    edge = ImageChops.subtract(panel, c.rrect(c.mask(), 17, 73, 233, 281, 17))
    c.paint(edge, (176, 194, 220), 0.9)
    # Wave lines below the two text lines.
    waves = c.mask()
    for k, amp in ((0, 5.0), (1, 3.6), (2, 2.2)):
        pts = [(x, 238 + k * 6 + amp * math.sin((x - 30) / 18.0 + k * 1.1)) for x in range(34, 217)]
        c.stroke(waves, pts, 1.6, round_caps=False)
    fade = Image.linear_gradient("L").rotate(90).resize(c.size)
    fade = ImageChops.multiply(fade, ImageChops.invert(fade)).point(lambda v: min(255, v * 4))
    c.paint(ImageChops.multiply(waves, fade), c.vgrad(CYAN, BLUE, 232, 262), 0.55)
    c.paint(c.rect(c.mask(), 40, 205, 210, 206), (190, 205, 226), 0.9)
    # The logo, overlapping the panel's top edge, with its own shadow.
    logo = c.rrect(c.mask(), 73, 18, 177, 122, 22)
    c.shadow(logo, (0, 4), 5, 0.45)
    mark(c, 73, 18, 104, 22)
    return c.result()


def option_folder():
    c = Canvas(58, 42)
    back = c.mask()
    c.rrect(back, 3, 5, 24, 14, 2.5)
    c.rrect(back, 3, 9, 55, 39, 3)
    c.shadow(back, (0, 1.2), 1.2, 0.35)
    c.paint(back, c.vgrad(BLUE, BLUE_DARK, 5, 39))
    paper = c.rrect(c.mask(), 7, 11, 51, 30, 1.5)
    c.paint(paper, c.vgrad((255, 255, 255), (226, 232, 240), 11, 30))
    front = c.poly(c.mask(), [(3, 17), (55, 17), (55, 36), (53, 39), (5, 39), (3, 36)])
    c.paint(front, c.vgrad(BLUE_LIGHT, BLUE, 17, 39))
    c.paint(c.rect(c.mask(), 3, 17, 55, 18), WHITE, 0.5)
    return c.result()


def option_music():
    c = Canvas(51, 51)
    disc = c.circle(c.mask(), 25.5, 25, 23)
    c.shadow(disc, (0, 1.2), 1.2, 0.35)
    c.paint(disc, c.rgrad((236, 240, 246), (172, 180, 192), 19, 17, 30))
    # Rainbow sheen of the recorded surface.
    for a0, col in ((-60, (255, 214, 150)), (20, (170, 220, 255)), (120, (210, 180, 255)), (200, (180, 240, 200))):
        sheen = c.ring_arc(c.mask(), 25.5, 25, 9, 22, a0, a0 + 45).filter(ImageFilter.GaussianBlur(3 * c.s))
        c.paint(ImageChops.multiply(sheen, disc), col, 0.5)
    c.paint(ImageChops.subtract(disc, c.circle(c.mask(), 25.5, 25, 22.2)), GREY_DARK)
    c.paint(c.circle(c.mask(), 25.5, 25, 7.5), (246, 248, 251))
    c.paint(ImageChops.subtract(c.circle(c.mask(), 25.5, 25, 7.5), c.circle(c.mask(), 25.5, 25, 6.8)), GREY)
    c.paint(c.circle(c.mask(), 25.5, 25, 3.2), (0, 0, 0))  # the hole
    hole = c.circle(c.mask(), 25.5, 25, 3.2)
    c.img.putalpha(ImageChops.subtract(c.img.getchannel("A"), hole))
    n = eighth_note(c, 20, 17, 31)
    c.shadow(n, (0, 1), 1, 0.35)
    c.paint(n, c.vgrad(BLUE_LIGHT, BLUE_DARK, 18, 48))
    return c.result()


def plus_minus(plus, top, bottom, dark):
    c = Canvas(32, 32)
    m = c.mask()
    c.rrect(m, 4, 12.5, 28, 19.5, 2)
    if plus:
        c.rrect(m, 12.5, 4, 19.5, 28, 2)
    c.shadow(m, (0, 1), 1, 0.35)
    c.paint(m.filter(ImageFilter.MaxFilter(c.odd())), dark)
    c.paint(m, c.vgrad(top, bottom, 4, 28))
    shine = c.rect(c.mask(), 0, 0, 32, 16)
    c.paint(ImageChops.multiply(ImageChops.multiply(m, shine), m), WHITE, 0.25)
    return c.result()


# ---------------------------------------------------------------------------------------------
# Containers: PNG, ICO and WAVE, written byte for byte so the output never depends on defaults.


def png_bytes(img):
    buf = io.BytesIO()
    img.save(buf, "PNG", optimize=False, compress_level=9)
    return buf.getvalue()


def ico_bytes(images):
    """An icon file: 32-bit DIBs with a mask for the small sizes, PNG for 256 px."""
    entries, blobs = [], []
    for img in images:
        w, h = img.size
        if w >= 256:
            blob = png_bytes(img)
        else:
            rows = []
            px = img.load()
            for y in range(h - 1, -1, -1):
                rows.append(b"".join(struct.pack("BBBB", px[x, y][2], px[x, y][1], px[x, y][0], px[x, y][3])
                                     for x in range(w)))
            mask_stride = ((w + 31) // 32) * 4
            mask_rows = []
            for y in range(h - 1, -1, -1):
                bits = bytearray(mask_stride)
                for x in range(w):
                    if px[x, y][3] == 0:
                        bits[x // 8] |= 0x80 >> (x % 8)
                mask_rows.append(bytes(bits))
            header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
            blob = header + b"".join(rows) + b"".join(mask_rows)
        entries.append((w, h, blob))
        blobs.append(blob)
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for w, h, blob in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


WAVE_RATE = 22050
WAVE_DATA_BYTES = 23210


def chime_samples():
    """A soft two-note chime (E6 then B6) with bell-like partials, 16-bit mono."""
    count = WAVE_DATA_BYTES // 2
    notes = ((0.0, 1318.51, 0.55), (0.11, 1975.53, 0.45))
    samples = []
    for n in range(count):
        t = n / WAVE_RATE
        v = 0.0
        for start, freq, amp in notes:
            if t < start:
                continue
            dt = t - start
            attack = min(1.0, dt / 0.004)
            env = attack * math.exp(-dt * 7.0)
            v += amp * env * (math.sin(2 * math.pi * freq * dt)
                              + 0.28 * math.sin(2 * math.pi * freq * 2.0 * dt) * math.exp(-dt * 9.0)
                              + 0.12 * math.sin(2 * math.pi * freq * 3.01 * dt) * math.exp(-dt * 14.0))
        tail = min(1.0, (count - 1 - n) / (0.03 * WAVE_RATE))  # no click at the end
        samples.append(int(round(max(-1.0, min(1.0, 0.7 * v * tail)) * 32767)))
    return samples


def wave_bytes(samples):
    data = struct.pack("<%dh" % len(samples), *samples)
    assert len(data) == WAVE_DATA_BYTES
    fmt = struct.pack("<HHIIHH", 1, 1, WAVE_RATE, WAVE_RATE * 2, 2, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


# ---------------------------------------------------------------------------------------------


def pictures():
    """Resource name -> (file name, image), in the order of the resource script."""
    return [
        ("BACKGROUND", "Background.png", background()),
        ("STATUS_CONNECTING", "StatusConnecting.png", status_button(status_connecting)),
        ("STATUS_UPLOADING", "StatusUploading.png", status_button(status_uploading)),
        ("STATUS_STREAMING", "StatusStreaming.png", status_button(status_streaming)),
        ("STATUS_IDLE", "StatusIdle.png", status_button(status_idle)),
        ("STATUS_INDEXING", "StatusIndexing.png", status_button(status_indexing)),
        ("TRAY_CONNECTED", "TrayConnected.png", tray_still(False)),
        ("TRAY_DISCONNECTED", "TrayDisconnected.png", tray_still(True)),
        ("ANIM_CONNECTING", "AnimConnecting.png", anim_connecting()),
        ("ANIM_STREAMING", "AnimStreaming.png", anim_streaming()),
        ("ANIM_UPLOADING", "AnimUploading.png", anim_uploading()),
        ("ANIM_INDEXING", "AnimIndexing.png", anim_indexing()),
    ] + [("NOTIFICATION_FRAME%d" % i, "NotificationFrame%d.png" % i, notification_frame(i)) for i in range(4)] + [
        ("ABOUT", "About.png", about_picture()),
        ("OPT_FOLDER", "OptFolder.png", option_folder()),
        ("OPT_MUSIC", "OptMusic.png", option_music()),
        ("OPT_ADD", "OptAdd.png", plus_minus(True, BLUE_LIGHT, BLUE_DARK, BLUE_DARK)),
        ("OPT_ADD_DISABLED", "OptAddDisabled.png", plus_minus(True, GREY_LIGHT, GREY, GREY_DARK)),
        ("OPT_REMOVE", "OptRemove.png", plus_minus(False, RED_LIGHT, RED, RED_DARK)),
        ("OPT_REMOVE_DISABLED", "OptRemoveDisabled.png", plus_minus(False, GREY_LIGHT, GREY, GREY_DARK)),
    ]


def icon_images():
    """16 to 256 pixels: the small icon at 100 to 200 %, the large one at 100 to 200 %, 256."""
    return [draw_mark_picture(16), draw_mark_picture(20), draw_mark_picture(24), draw_mark_picture(32),
            draw_mark_picture(40, 1 / 40.0), draw_mark_picture(48, 1 / 48.0), draw_mark_picture(64, 2 / 64.0),
            draw_mark_picture(256, 8 / 256.0)]


def scaled_resource_script(items):
    """The resource lines of the pictures drawn at the larger scales."""
    lines = ["// Generated by tools/make_artwork.py: the pictures drawn for 125, 150 and 200 %.", ""]
    for suffix, _ in SCALES:
        for name, file_name, _ in items:
            base, ext = os.path.splitext(file_name)
            lines.append('%s%s RCDATA "art/%s%s%s"' % (name, suffix, base, suffix, ext))
        lines.append("")
    return "\n".join(lines)


def write(name, data):
    path = os.path.join(OUT, name)
    with open(path, "wb") as f:
        f.write(data)


def contact_sheet(items, scale=4):
    pad = 8
    cells = [(name, img.resize((img.width * scale, img.height * scale), Image.Resampling.NEAREST))
             for name, img in items]
    width = 1400
    x = y = pad
    row_h = 0
    placed = []
    for name, img in cells:
        if x + img.width + pad > width:
            x, y = pad, y + row_h + pad
            row_h = 0
        placed.append((img, x, y))
        x += img.width + pad
        row_h = max(row_h, img.height)
    sheet = Image.new("RGBA", (width, y + row_h + pad), (0, 0, 0, 0))
    checker = Image.new("RGB", sheet.size)
    d = ImageDraw.Draw(checker)
    for cy in range(0, sheet.height, 16):
        for cx in range(0, sheet.width, 16):
            shade = 200 if (cx // 16 + cy // 16) % 2 else 236
            d.rectangle([cx, cy, cx + 15, cy + 15], fill=(shade, shade, shade))
    # Half of the sheet on a dark taskbar colour, to judge the tray pictures on both.
    d.rectangle([0, 0, sheet.width // 2 - 1, 100], fill=(32, 32, 36))
    out = checker.convert("RGBA")
    for img, px, py in placed:
        out.alpha_composite(img.convert("RGBA"), (px, py))
    return out


def main(argv):
    os.makedirs(OUT, exist_ok=True)
    items = pictures()
    for _, file_name, img in items:
        write(file_name, png_bytes(img))
    for suffix, k in SCALES:
        with drawn_at(k):
            for _, file_name, img in pictures():
                base, ext = os.path.splitext(file_name)
                write(base + suffix + ext, png_bytes(img))
    with open(os.path.join(ROOT, "resources", "ArtworkScaled.rc"), "w", newline="\n") as f:
        f.write(scaled_resource_script(items))
    icons = icon_images()
    write("Tonalix.ico", ico_bytes(icons))
    write("Zorbel.wav", wave_bytes(chime_samples()))
    if len(argv) == 3 and argv[1] == "--sheet":
        sheet_items = [(n, img) for n, _, img in items] + [("ICON%d" % i.width, i) for i in icons]
        contact_sheet(sheet_items).save(argv[2])
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
