#!/usr/bin/python3
# -*- coding: utf-8 -*-
"""Draws Spruce's bitmaps, icons and busy animation into this folder.

    /usr/bin/python3 resources/art/make_art.py [--preview DIR]

Needs python3-pil (Pillow 9.4) and fonts-nanum.  Everything is drawn
supersampled and scaled down, so edges come out anti-aliased; captions are
rendered at their final size so the Hangul stays crisp.  --preview writes
enlarged PNG copies of every output into DIR for eyeballing.
"""

import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/nanum"
SS = 4                      # supersampling factor
BOX = Image.Resampling.BOX

# ---------------------------------------------------------------- theme ----
WHITE = (255, 255, 255)
INK = (50, 55, 57)                      # caption grey
INK_LIT = (14, 82, 66)                  # caption on a lit button
OUTLINE = (26, 78, 68)                  # pictogram outline
GREEN = ("v", (132, 214, 176), (30, 138, 102))
TEALF = ("v", (118, 206, 210), (16, 120, 128))
LIGHT = ("v", (255, 255, 255), (204, 229, 222))
METAL = ("v", (248, 250, 250), (166, 186, 188))
RED = ("v", (250, 124, 104), (194, 40, 32))
AMBER = ("v", (255, 222, 124), (230, 146, 28))
SCREEN = ("v", (44, 78, 80), (14, 40, 44))
BARK = ("v", (160, 108, 64), (100, 62, 34))

# Grey values that the program's 3D-colour mapping would repaint.
MAPPED_GREYS = {(192, 192, 192), (128, 128, 128), (223, 223, 223)}


def font(name, size):
    return ImageFont.truetype(os.path.join(FONT_DIR, name), size)


CAPTION_FONT = "NanumGothicBold.ttf"


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def ramp(stops, t):
    """Colour at t (0..1) along [(pos, colour), ...]."""
    t = min(max(t, 0.0), 1.0)
    for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
        if t <= p1:
            return mix(c0, c1, 0.0 if p1 == p0 else (t - p0) / (p1 - p0))
    return stops[-1][1]


def gradient(size, stops, horizontal=False, span=None):
    """An image filled with a linear ramp; span=(a, b) limits the ramp."""
    w, h = size
    n = w if horizontal else h
    a, b = span if span else (0, n)
    mode = "RGBA" if len(stops[0][1]) == 4 else "RGB"
    strip = Image.new(mode, (n, 1) if horizontal else (1, n))
    for i in range(n):
        c = ramp(stops, (i + 0.5 - a) / max(b - a, 1e-6))
        strip.putpixel((i, 0) if horizontal else (0, i), c)
    return strip.resize((w, h), Image.Resampling.NEAREST)


def rgba(c):
    return c if len(c) == 4 else c + (255,)


# -------------------------------------------------------------- drawing ----
class Canvas:
    """A supersampled RGBA surface.  Shapes are given in design units;
    `unit` is how many supersampled pixels one design unit is."""

    def __init__(self, w, h, bg=(0, 0, 0, 0), unit=SS):
        self.w, self.h, self.unit = w, h, unit
        self.img = Image.new("RGBA", (w * SS, h * SS), rgba(bg))

    # geometry -> coverage mask
    def mask(self, geoms, clip=None, cut=None):
        m = Image.new("L", self.img.size, 0)
        d = ImageDraw.Draw(m)
        for g in geoms:
            self._draw(d, g, 255)
        for g in cut or ():
            self._draw(d, g, 0)
        if clip:
            m = ImageChops.multiply(m, self.mask(clip))
        return m

    def _draw(self, d, g, v):
        u = self.unit
        kind = g[0]

        def pt(x, y):
            return (x * u, y * u)

        def box(b):
            return (b[0] * u, b[1] * u, b[2] * u - 1, b[3] * u - 1)

        if kind == "poly":
            d.polygon([pt(*p) for p in g[1]], fill=v)
        elif kind == "rect":
            d.rectangle(box(g[1]), fill=v)
        elif kind == "rrect":
            d.rounded_rectangle(box(g[1]), radius=g[2] * u, fill=v)
        elif kind == "ellipse":
            d.ellipse(box(g[1]), fill=v)
        elif kind == "ring":            # ("ring", box, width)
            d.ellipse(box(g[1]), outline=v, width=max(1, int(round(g[2] * u))))
        elif kind == "line":            # ("line", points, width) round caps
            pts = [pt(*p) for p in g[1]]
            w = g[2] * u
            d.line(pts, fill=v, width=max(1, int(round(w))), joint="curve")
            for x, y in (pts[0], pts[-1]):
                d.ellipse((x - w / 2, y - w / 2, x + w / 2, y + w / 2), fill=v)
        elif kind == "text":            # ("text", (x, y), str, fontfile, size)
            d.text(pt(*g[1]), g[2], font=font(g[3], int(round(g[4] * u))),
                   fill=v, anchor="mm")
        else:
            raise ValueError(kind)

    def paint(self, m, fill):
        """Composite `fill` (colour or ("v"/"h", top, bottom)) through m."""
        if isinstance(fill[0], str):
            bb = m.getbbox() or (0, 0, 1, 1)
            horiz = fill[0] == "h"
            span = (bb[0], bb[2]) if horiz else (bb[1], bb[3])
            layer = gradient(self.img.size, [(0, rgba(fill[1])), (1, rgba(fill[2]))],
                             horizontal=horiz, span=span)
        else:
            layer = Image.new("RGBA", self.img.size, rgba(fill))
        layer.putalpha(ImageChops.multiply(layer.getchannel("A"), m))
        self.img.alpha_composite(layer)

    def shape(self, geoms, fill=None, outline=None, ow=1.0, clip=None, cut=None):
        """Fill a union of shapes, with an outer outline `ow` output px wide."""
        m = self.mask(geoms, clip, cut)
        if outline:
            r = max(1, int(round(ow * SS)))
            self.paint(m.filter(ImageFilter.MaxFilter(2 * r + 1)), outline)
        if fill:
            self.paint(m, fill)
        return m

    def result(self):
        small = self.img.convert("RGBa").resize((self.w, self.h), BOX)
        return small.convert("RGBA")


def arc_points(cx, cy, r, a0, a1, steps=None):
    """Points along a circle from angle a0 to a1 (degrees, screen coords)."""
    steps = steps or max(8, int(abs(a1 - a0) / 4))
    return [(cx + r * math.cos(math.radians(a0 + (a1 - a0) * i / steps)),
             cy + r * math.sin(math.radians(a0 + (a1 - a0) * i / steps)))
            for i in range(steps + 1)]


def arrow_arc(cx, cy, r, a0, a1, width, head):
    """A curved arrow from a0 to a1 with its head at a1."""
    pts = arc_points(cx, cy, r, a0, a1 - math.copysign(head * 40 / r, a1 - a0))
    ex, ey = arc_points(cx, cy, r, a1, a1, 1)[0]
    # tangent in the direction of travel
    sgn = 1 if a1 > a0 else -1
    t = math.radians(a1)
    tx, ty = -math.sin(t) * sgn, math.cos(t) * sgn
    nx, ny = math.cos(t), math.sin(t)
    bx, by = ex - tx * head, ey - ty * head
    tip = (ex + tx * head * 0.5, ey + ty * head * 0.5)
    return [("line", pts, width),
            ("poly", [tip, (bx + nx * head * 0.95, by + ny * head * 0.95),
                      (bx - nx * head * 0.95, by - ny * head * 0.95)])]


def star(cx, cy, r, inner=0.26):
    pts = []
    for i in range(8):
        a = math.radians(-90 + i * 45)
        rr = r if i % 2 == 0 else r * inner
        pts.append((cx + rr * math.cos(a), cy + rr * math.sin(a)))
    return ("poly", pts)


def cube(c, cx, ty, s):
    top = [(cx, ty), (cx + s, ty + s / 2), (cx, ty + s), (cx - s, ty + s / 2)]
    left = [(cx - s, ty + s / 2), (cx, ty + s), (cx, ty + 2 * s), (cx - s, ty + 1.5 * s)]
    right = [(cx, ty + s), (cx + s, ty + s / 2), (cx + s, ty + 1.5 * s), (cx, ty + 2 * s)]
    c.shape([("poly", top), ("poly", left), ("poly", right)], outline=OUTLINE, ow=0.9)
    c.shape([("poly", top)], (170, 232, 204))
    c.shape([("poly", left)], ("v", (70, 180, 136), (40, 146, 108)))
    c.shape([("poly", right)], ("v", (32, 128, 98), (20, 100, 78)))


def tree(c, ox, oy, k, ow, two_tone=True):
    """Stylised spruce designed on a 48-unit grid, placed at (ox, oy) * k."""
    def P(pts):
        return [(ox + x * k, oy + y * k) for x, y in pts]

    tiers = [
        [(5, 38), (24, 16), (43, 38), (24, 35)],
        [(9, 27.5), (24, 9.5), (39, 27.5), (24, 24.5)],
        [(13.5, 17.5), (24, 3), (34.5, 17.5), (24, 15)],
    ]
    (x0, y0), (x1, y1) = P([(20.5, 34), (27.5, 45)])
    c.shape([("rect", (x0, y0, x1, y1))], BARK, OUTLINE, ow)
    for t in tiers:
        c.shape([("poly", P(t))], ("v", (126, 214, 164), (24, 126, 88)), OUTLINE, ow)
        if two_tone:
            right = [t[1], t[2], t[3]]
            c.shape([("poly", P(right))], (8, 60, 44, 70))


# ----------------------------------------------------------- pictograms ----
# Each draws on a 22 x 22 unit grid.

def pic_registry(c):
    cube(c, 6.6, 10.2, 4.6)
    cube(c, 15.4, 10.2, 4.6)
    cube(c, 11.0, 2.2, 4.6)


def pic_registry_restore(c):
    cube(c, 8.5, 1.5, 6.2)
    geo = arrow_arc(15.2, 15.2, 4.5, 75, -185, 1.8, 3.0)
    c.shape(geo, outline=(150, 86, 10), ow=0.9)
    c.shape(geo, AMBER)


def pic_disk(c):
    c.shape([("rrect", (2, 2, 20, 20), 2.2)], METAL, OUTLINE)
    c.shape([("ellipse", (4.6, 3.6, 17.4, 16.4))], ("v", (255, 255, 255), (196, 214, 216)),
            (90, 118, 120), 0.8)
    c.shape([("ring", (7.4, 6.4, 14.6, 13.6), 0.5)], (150, 176, 178))
    c.shape([("ellipse", (9.6, 8.6, 12.4, 11.4))], TEALF, OUTLINE, 0.6)
    c.shape([("line", [(17.2, 17.1), (12.8, 12.2)], 1.4)], (52, 76, 78))
    c.shape([("ellipse", (15.6, 15.5, 18.8, 18.7))], (52, 76, 78))
    c.shape([("ellipse", (16.6, 16.5, 17.8, 17.7))], (190, 206, 208))
    c.shape([("ellipse", (3.6, 16.4, 5.8, 18.6))], (40, 200, 120))


def pic_memory(c):
    body = [("rect", (1, 6, 21, 15.5)), ("rect", (2, 15.5, 20, 18))]
    c.shape(body, outline=OUTLINE, cut=[("rect", (10, 15.5, 11.6, 18.5))])
    c.shape([("rect", (1, 6, 21, 15.5))], ("v", (78, 178, 128), (22, 112, 80)))
    c.shape([("rect", (2, 15.5, 20, 18))], AMBER, cut=[("rect", (10, 15.5, 11.6, 18.5))])
    for x in range(3, 20, 2):
        if 9 <= x <= 12:
            continue
        c.shape([("rect", (x + 0.5, 15.8, x + 1.0, 18))], (150, 96, 18))
    for x0 in (2.6, 7.4, 12.2, 17.0):
        c.shape([("rect", (x0, 7.8, x0 + 3.4, 13.2))], ("v", (70, 80, 84), (28, 34, 36)))
    c.shape([("rect", (1.4, 6.4, 20.6, 7.0))], (255, 255, 255, 80))


def pic_globe(c):
    disc = [("ellipse", (2, 2, 20, 20))]
    c.shape(disc, ("v", (120, 214, 228), (18, 118, 146)), OUTLINE)
    grid = (235, 252, 252, 175)
    c.shape([("ring", (7.0, 2.0, 15.0, 20.0), 0.8), ("ring", (10.6, 2, 11.4, 20), 0.4),
             ("rect", (2, 10.6, 20, 11.4)), ("rect", (2, 6.4, 20, 7.0)),
             ("rect", (2, 15.0, 20, 15.6))], grid, clip=disc)
    c.shape([("poly", [(4, 7), (7, 5), (9, 7), (8, 10), (5, 11), (3.5, 10)]),
             ("poly", [(12, 12), (16, 11), (18, 13), (15, 18), (12.5, 16)])],
            (70, 190, 120, 200), clip=disc)
    c.shape([("ellipse", (5, 2.8, 15, 8.6))], (255, 255, 255, 70), clip=disc)


def pic_startup(c):
    win = [("rrect", (1.5, 2.5, 17.5, 16.5), 1.5)]
    c.shape(win, LIGHT, OUTLINE)
    c.shape([("rect", (1.5, 2.5, 17.5, 6))], TEALF, clip=win)
    c.shape([("rect", (3.5, 8.5, 9.5, 9.3)), ("rect", (3.5, 11, 8, 11.8))], (120, 150, 146))
    badge = [("ellipse", (10.5, 9.5, 21, 20))]
    c.shape(badge, GREEN, OUTLINE)
    c.shape([("poly", [(14.2, 12.2), (14.2, 17.3), (18.4, 14.75)])], WHITE)
    c.shape([("ellipse", (12, 10.2, 19.5, 14))], (255, 255, 255, 60), clip=badge)


def pic_history(c):
    geo = arrow_arc(12, 11.5, 8.4, -30, -200, 1.8, 3.0)
    c.shape([("ellipse", (5.2, 4.7, 18.8, 18.3))], LIGHT, OUTLINE)
    for a in range(0, 360, 90):
        x, y = arc_points(12, 11.5, 5.1, a, a, 1)[0]
        c.shape([("ellipse", (x - 0.6, y - 0.6, x + 0.6, y + 0.6))], (110, 140, 136))
    c.shape([("line", [(12, 11.5), (12, 7.4)], 1.1),
             ("line", [(12, 11.5), (14.8, 13.1)], 1.1)], (36, 60, 60))
    c.shape(geo, outline=(12, 80, 60), ow=0.8)
    c.shape(geo, GREEN)


def pic_shred(c):
    page = [("poly", [(3.5, 1), (13, 1), (17.5, 5.5), (17.5, 20.5), (3.5, 20.5)])]
    c.shape(page, LIGHT, OUTLINE)
    c.shape([("poly", [(13, 1), (13, 5.5), (17.5, 5.5)])], (188, 214, 208), OUTLINE, 0.5)
    for y in (8, 10.5, 13):
        c.shape([("rect", (6, y, 14.5, y + 0.9))], (124, 156, 150))
    badge = [("ellipse", (10, 10, 21.5, 21.5))]
    c.shape(badge, RED, (120, 20, 16))
    c.shape([("line", [(13.3, 13.3), (18.2, 18.2)], 1.7),
             ("line", [(18.2, 13.3), (13.3, 18.2)], 1.7)], WHITE)


def pic_smart(c):
    c.shape([("rrect", (1, 3, 21, 19), 2)], SCREEN, OUTLINE)
    for y in (7, 11, 15):
        c.shape([("rect", (2.5, y, 19.5, y + 0.4))], (70, 120, 118, 140))
    ecg = [(2.5, 11.5), (6.5, 11.5), (8, 8), (10, 16), (12.2, 5.5), (13.8, 11.5), (19.5, 11.5)]
    c.shape([("line", ecg, 2.6)], (60, 230, 160, 70))
    c.shape([("line", ecg, 1.3)], (140, 255, 190))


def pic_disk_temp(c):
    c.shape([("rrect", (1, 6.5, 14.5, 21), 1.8)], METAL, OUTLINE)
    c.shape([("ellipse", (3, 8, 12.5, 17.5))], ("v", (255, 255, 255), (196, 214, 216)),
            (90, 118, 120), 0.7)
    c.shape([("ellipse", (6.6, 11.6, 8.9, 13.9))], TEALF)
    glass = [("rrect", (14.8, 1, 19.6, 15), 2.4), ("ellipse", (13, 12.5, 21.4, 20.9))]
    c.shape(glass, LIGHT, OUTLINE)
    c.shape([("ellipse", (14.6, 14.1, 19.8, 19.3)), ("rect", (16.4, 5.5, 18.0, 15))], RED)
    c.shape([("rect", (15.6, 2.5, 16.2, 12))], (255, 255, 255, 150))


def pic_info(c):
    disc = [("ellipse", (2, 2, 20, 20))]
    c.shape(disc, TEALF, OUTLINE)
    c.shape([("ellipse", (5, 2.8, 17, 9.5))], (255, 255, 255, 70), clip=disc)
    c.shape([("ellipse", (9.6, 4.6, 12.4, 7.4)), ("rrect", (9.8, 9, 12.2, 17.2), 0.6),
             ("rect", (8.4, 9, 12.2, 10.2)), ("rect", (8.4, 16, 13.6, 17.2))], WHITE)


def pic_ip(c):
    c.shape([("rrect", (7, 15.5, 15, 17.5), 0.4), ("rrect", (4.5, 17.5, 17.5, 20), 1)],
            METAL, OUTLINE, 0.8)
    c.shape([("rrect", (1, 2, 21, 16), 1.6)], ("v", (236, 242, 242), (150, 172, 174)), OUTLINE)
    scr = [("rect", (2.8, 3.8, 19.2, 14.2))]
    c.shape(scr, TEALF)
    c.shape([("text", (11.1, 9.2), "IP", "NanumGothicBold.ttf", 9.5)], WHITE)
    c.shape([("poly", [(2.8, 3.8), (12, 3.8), (2.8, 9)])], (255, 255, 255, 50))


def pic_hourglass(c):
    glass = [("poly", [(5.5, 3.5), (16.5, 3.5), (16.5, 5), (12.2, 11), (16.5, 17),
                       (16.5, 18.5), (5.5, 18.5), (5.5, 17), (9.8, 11), (5.5, 5)])]
    c.shape(glass, ("h", (255, 255, 255), (206, 230, 226)), OUTLINE, 0.9)
    c.shape([("poly", [(7.4, 5.8), (14.6, 5.8), (11, 10.4)]),
             ("poly", [(6.8, 18), (15.2, 18), (11, 14.2)]),
             ("rect", (10.6, 10, 11.4, 17.5))], AMBER)
    for y in (1, 18.5):
        c.shape([("rrect", (3.5, y, 18.5, y + 2.6), 1.0)], ("v", (58, 170, 136), (16, 104, 80)),
                OUTLINE, 0.8)


def pic_upgrade(c):
    disc = [("ellipse", (2, 2, 20, 20))]
    c.shape(disc, GREEN, OUTLINE)
    c.shape([("ellipse", (5, 2.8, 17, 9.5))], (255, 255, 255, 70), clip=disc)
    c.shape([("poly", [(11, 4.8), (16.6, 10.6), (13.2, 10.6), (13.2, 16.6), (8.8, 16.6),
                       (8.8, 10.6), (5.4, 10.6)])], WHITE, (12, 90, 64), 0.5)


def pic_home(c):
    c.shape([("rect", (14.6, 2.5, 17.4, 8))], ("v", (170, 110, 70), (120, 70, 40)), OUTLINE, 0.8)
    c.shape([("rect", (4, 9.5, 18, 20.5))], LIGHT, OUTLINE)
    c.shape([("poly", [(0.8, 11.6), (11, 1.8), (21.2, 11.6)])],
            ("v", (70, 186, 176), (16, 110, 112)), OUTLINE)
    c.shape([("rrect", (8.6, 13.6, 13.4, 20.5), 0.6)], ("v", (64, 160, 120), (20, 108, 80)),
            OUTLINE, 0.6)
    c.shape([("rect", (14.6, 13, 16.8, 15.2))], ("v", (170, 226, 236), (90, 170, 190)))


BUTTONS = [
    ("btn135.bmp", "레지스트리", pic_registry),
    ("btn161.bmp", "레지스트리 복원", pic_registry_restore),
    ("btn138.bmp", "하드디스크", pic_disk),
    ("btn140.bmp", "메모리", pic_memory),
    ("btn136.bmp", "인터넷", pic_globe),
    ("btn143.bmp", "시작프로그램", pic_startup),
    ("btn146.bmp", "히스토리", pic_history),
    ("btn147.bmp", "파일강제삭제", pic_shred),
    ("btn149.bmp", "S.M.A.R.T", pic_smart),
    ("btn152.bmp", "하드디스크 온도", pic_disk_temp),
    ("btn154.bmp", "시스템정보", pic_info),
    ("btn163.bmp", "내컴퓨터 IP알기", pic_ip),
    ("btn166.bmp", "컴퓨터 사용시간 체크", pic_hourglass),
    ("btn156.bmp", "업그레이드", pic_upgrade),
    ("btn158.bmp", "홈페이지", pic_home),
]

BTN_W, BTN_H = 173, 34
PIC = 22
PIC_X, PIC_Y = 9, 6
TEXT_X0, TEXT_X1 = 36, 167


def avoid_mapped_greys(img):
    """Nudge the few greys the 3D-colour mapping would repaint."""
    px = img.load()
    for y in range(img.height):
        for x in range(img.width):
            p = px[x, y]
            if p in MAPPED_GREYS:
                px[x, y] = (p[0], p[1], p[2] + 1)
    return img


def button_face(lit):
    c = Canvas(BTN_W, BTN_H, bg=WHITE, unit=SS)
    if lit:
        border, stops = (34, 140, 114), [(0, (236, 252, 246)), (0.5, (208, 242, 230)),
                                         (0.5, (188, 232, 216)), (1, (214, 244, 232))]
    else:
        border, stops = (150, 196, 184), [(0, (255, 255, 255)), (0.5, (246, 251, 249)),
                                          (0.5, (236, 246, 242)), (1, (226, 240, 235))]
    c.shape([("rrect", (0, 0, BTN_W, BTN_H), 5)], border)
    inner = c.mask([("rrect", (1, 1, BTN_W - 1, BTN_H - 1), 4)])
    layer = gradient(c.img.size, [(p, rgba(col)) for p, col in stops],
                     span=(SS, (BTN_H - 1) * SS))
    layer.putalpha(inner)
    c.img.alpha_composite(layer)
    # a one-pixel highlight under the top edge
    c.shape([("rect", (3, 1, BTN_W - 3, 2))], (255, 255, 255, 200 if lit else 255))
    return c.result().convert("RGB")


def caption_baseline(f, height):
    """Baseline that centres Hangul ink vertically, the same for every caption."""
    _, top, _, bottom = f.getbbox("한", anchor="ls")
    return int(round(height / 2 - (top + bottom) / 2))


def make_button(caption, pic):
    f = font(CAPTION_FONT, 12)
    pc = Canvas(PIC, PIC)
    pic(pc)
    icon = pc.result()
    out = Image.new("RGB", (BTN_W * 2, BTN_H))
    for i, lit in enumerate((False, True)):
        face = button_face(lit).convert("RGBA")
        face.alpha_composite(icon, (PIC_X, PIC_Y))
        face = face.convert("RGB")
        d = ImageDraw.Draw(face)
        width = d.textlength(caption, font=f)
        x = TEXT_X0 + (TEXT_X1 - TEXT_X0 - width) / 2
        assert x >= TEXT_X0 - 0.5, caption + " does not fit"
        d.text((int(round(x)), caption_baseline(f, BTN_H)), caption,
               font=f, fill=INK_LIT if lit else INK, anchor="ls")
        out.paste(face, (i * BTN_W, 0))
    return avoid_mapped_greys(out)


# ---------------------------------------------------------------- header ----
HDR_W, HDR_H = 445, 39
LOGO_BOX = (0, 5, 236, 23)
VERSION_BOX = (343, 7, 423, 25)


def make_header():
    base = gradient((HDR_W * SS, HDR_H * SS),
                    [(0, (16, 96, 78)), (0.5, (20, 118, 104)), (1, (10, 96, 110))],
                    horizontal=True)
    c = Canvas(HDR_W, HDR_H)
    c.img = base.convert("RGBA")
    # soft glass sheen over the upper half, a little shade at the bottom
    sheen = gradient(c.img.size, [(0, (255, 255, 255, 58)), (0.48, (255, 255, 255, 14)),
                                  (0.5, (255, 255, 255, 0)), (0.8, (0, 0, 0, 0)),
                                  (1, (0, 30, 24, 46))])
    c.img.alpha_composite(sheen)
    # a faint swoosh through the middle, fading out before the version text
    sw = Canvas(HDR_W, HDR_H)
    sw.shape([("ellipse", (150, 14, 520, 110))], (255, 255, 255, 30),
             cut=[("ellipse", (160, 20, 530, 120))])
    fade = gradient(sw.img.size, [(0, (0, 0, 0, 0)), (0.45, (0, 0, 0, 255)),
                                  (0.68, (0, 0, 0, 255)), (0.76, (0, 0, 0, 0)),
                                  (1, (0, 0, 0, 0))], horizontal=True).getchannel("A")
    sw.img.putalpha(ImageChops.multiply(sw.img.getchannel("A"), fade))
    c.img.alpha_composite(sw.img)
    # a row of faint spruce silhouettes between the logo and the version
    for x, y, k in ((252, 15, 0.5), (268, 9, 0.64), (288, 18, 0.44), (304, 12, 0.56),
                    (320, 20, 0.4)):
        for t in ([(5, 38), (24, 16), (43, 38)], [(9, 27.5), (24, 9.5), (39, 27.5)],
                  [(13.5, 17.5), (24, 3), (34.5, 17.5)]):
            c.shape([("poly", [(x + px * k, y + py * k) for px, py in t])],
                    (255, 255, 255, 22))
    c.shape([("rect", (0, 0, HDR_W, 1))], (255, 255, 255, 70))
    c.shape([("rect", (0, HDR_H - 1, HDR_W, HDR_H))], (4, 52, 46))
    return avoid_mapped_greys(c.result().convert("RGB"))


def make_top(header):
    f = font("NanumGothicBold.ttf", 13)
    fe = font("NanumBarunGothicBold.ttf", 13)
    bg = header.crop(LOGO_BOX)
    w, h = bg.size
    frames = []
    for colour, shade in ((WHITE, (0, 40, 32, 110)), ((255, 246, 186), (0, 40, 32, 110))):
        c = Canvas(w, h)
        c.img = bg.resize((w * SS, h * SS), Image.Resampling.NEAREST).convert("RGBA")
        # small tree emblem in the text colour, with the same soft shadow
        for col, off in ((shade, 0.8), (colour, 0.0)):
            for t in ([(5, 38), (24, 16), (43, 38)], [(9, 27.5), (24, 9.5), (39, 27.5)],
                      [(13.5, 17.5), (24, 3), (34.5, 17.5)]):
                c.shape([("poly", [(6 + off + px * 0.33, 1.2 + off + py * 0.33)
                                   for px, py in t])], col)
            c.shape([("rect", (13.3 + off, 13.5 + off, 15.5 + off, 16.5 + off))], col)
        face = c.result()
        # captions are drawn at their final size for crisp Hangul
        glow = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        dg = ImageDraw.Draw(glow)
        txt = Image.new("RGBA", (w, h), (0, 0, 0, 0))
        dt = ImageDraw.Draw(txt)
        base = caption_baseline(f, h)
        x = 25
        for s, fnt in (("스프루스 ", f), ("Spruce", fe), ("   PC 최적화 도구", f)):
            dg.text((x + 1, base + 1), s, font=fnt, fill=shade, anchor="ls")
            dt.text((x, base), s, font=fnt, fill=colour + (255,), anchor="ls")
            x += dt.textlength(s, font=fnt)
        assert x <= w - 4, "logo line too long"
        face.alpha_composite(glow)
        face.alpha_composite(txt)
        frames.append(face.convert("RGB"))
    out = Image.new("RGB", (w * 2, h))
    out.paste(frames[0], (0, 0))
    out.paste(frames[1], (w, 0))
    return avoid_mapped_greys(out)


# ------------------------------------------------------------ the frame ----
def make_frame():
    W, H = 418, 66
    c = Canvas(W, H, bg=WHITE)
    c.shape([("rrect", (0, 0, W, H), 6)], (128, 184, 168))
    c.shape([("rrect", (1, 1, W - 1, H - 1), 5)], (236, 246, 242))
    c.shape([("rrect", (2, 2, W - 2, H - 2), 4)],
            ("v", (248, 252, 251), (255, 255, 255)))
    return avoid_mapped_greys(c.result().convert("RGB"))


# ----------------------------------------------------------- thermometer ----
def make_thermo():
    W, H = 86, 75
    c = Canvas(W, H, bg=WHITE)
    cx = 30
    glass = [("rrect", (cx - 7, 4, cx + 7, 56), 7), ("ellipse", (cx - 12.5, 45, cx + 12.5, 70))]
    c.shape([("ellipse", (cx - 16, 64, cx + 16, 73))], (30, 80, 70, 28))
    c.shape(glass, ("h", (236, 246, 244), (196, 222, 218)), OUTLINE, 1.8)
    c.shape([("rrect", (cx - 2.6, 20, cx + 2.6, 56), 2.6), ("ellipse", (cx - 8.5, 49, cx + 8.5, 66))],
            ("h", (248, 104, 84), (178, 30, 24)))
    c.shape([("rrect", (cx - 5, 8, cx - 3, 48), 1)], (255, 255, 255, 190))
    c.shape([("ellipse", (cx - 6.5, 52, cx - 2.5, 57))], (255, 255, 255, 150))
    for i in range(11):
        y = 10 + i * 4
        long_ = i % 2 == 0
        c.shape([("rect", (cx + 10, y - 0.6, cx + (20 if long_ else 16), y + 0.6))],
                (60, 98, 92) if long_ else (120, 150, 146))
    c.shape([("text", (cx + 31, 13), "°C", "NanumBarunGothicBold.ttf", 15)], (30, 110, 92))
    return avoid_mapped_greys(c.result().convert("RGB"))


# ----------------------------------------------------------------- icons ----
def icon_image(size, tile):
    c = Canvas(size, size, unit=SS * size / 48.0)
    ow = {16: 0.7, 32: 1.0}.get(size, 1.4)
    px = 48.0 / size                    # one output pixel in design units
    gold = ("v", (255, 255, 236), (255, 206, 70))
    if tile:
        c.shape([("rrect", (0, 0, 48, 48), 9)], (24, 110, 92))
        c.shape([("rrect", (px, px, 48 - px, 48 - px), 9 - px)],
                ("v", (246, 253, 250), (174, 226, 210)))
        c.shape([("rrect", (4, 3, 44, 20), 7)], (255, 255, 255, 90))
        if size < 32:                   # fewer, bolder details at 16 x 16
            tree(c, 2, 4, 0.86, ow, two_tone=False)
            c.shape([star(37, 11.5, 9.5, 0.3)], gold, (206, 134, 10), 0.5)
        else:
            tree(c, 6.5, 5.5, 0.76, ow)
            c.shape([star(36.5, 12, 8.5)], gold, (186, 120, 10), ow * 0.8)
    else:
        tree(c, 0, 1.5, 0.96, ow, two_tone=size >= 32)
        c.shape([star(39, 9, 9)], gold, (186, 120, 10), ow * 0.8)
    if size >= 32:
        c.shape([star(9, 11, 4.0)], (255, 255, 255, 230), (60, 150, 130), ow * 0.6)
    return c.result()


def write_ico(path, images):
    """ICO with 32-bit DIB entries (alpha plus AND mask), which every
    Windows version that has alpha icons can read."""
    dirs, blobs = [], []
    offset = 6 + 16 * len(images)
    for im in images:
        w, h = im.size
        px = im.load()
        xor = bytearray()
        for y in range(h - 1, -1, -1):
            for x in range(w):
                r, g, b, a = px[x, y]
                xor += bytes((b, g, r, a))
        stride = ((w + 31) // 32) * 4
        andm = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(stride)
            for x in range(w):
                if px[x, y][3] < 96:
                    row[x // 8] |= 0x80 >> (x % 8)
            andm += row
        hdr = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(andm),
                          0, 0, 0, 0)
        blob = hdr + xor + andm
        dirs.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as fh:
        fh.write(struct.pack("<HHH", 0, 1, len(images)))
        fh.write(b"".join(dirs))
        fh.write(b"".join(blobs))


# -------------------------------------------------------------- the GIF ----
GIF_SIZE = 40
GIF_FRAMES = 10
GIF_DELAY = 10
# disposal per frame: 1 keep, 2 restore to background, 3 restore to previous
GIF_DISPOSAL = [1, 1, 3, 3, 1, 2, 1, 3, 3, 2]
# (frame, centre x, centre y, radius) of the twinkle that comes and goes
GIF_TWINKLE = {2: (35.5, 4.5, 2.6), 3: (35.5, 4.5, 4.0), 7: (4.5, 35.5, 3.2),
               8: (4.5, 35.5, 2.2)}


def busy_frame(k):
    c = Canvas(GIF_SIZE, GIF_SIZE, bg=WHITE)
    cx = cy = GIF_SIZE / 2
    r, w = 14, 4.2
    track = (220, 239, 233)
    head_col, tail_col = (12, 124, 98), track
    c.shape([("ring", (cx - r - w / 2, cy - r - w / 2, cx + r + w / 2, cy + r + w / 2), w)],
            track)
    head = -90 + k * 360 / GIF_FRAMES
    n = 40
    sweep = 250
    for i in range(n):
        a0 = head - sweep + sweep * i / n
        a1 = head - sweep + sweep * (i + 1) / n
        col = mix(tail_col, head_col, ((i + 1) / n) ** 1.4)
        c.shape([("line", arc_points(cx, cy, r, a0, a1, 3), w)], col)
    hx, hy = arc_points(cx, cy, r, head, head, 1)[0]
    c.shape([("ellipse", (hx - 2.6, hy - 2.6, hx + 2.6, hy + 2.6))], (8, 100, 80))
    tree(c, cx - 7.2, cy - 7.6, 0.3, 0.8, two_tone=False)
    if k in GIF_TWINKLE:
        x, y, s = GIF_TWINKLE[k]
        c.shape([star(x, y, s, 0.3)], (255, 196, 60), (214, 140, 20), 0.5)
    return c.result().convert("RGB")


def lzw_encode(indices, min_size):
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    out = bytearray()
    acc = nbits = 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    width = min_size + 1
    table, nxt = {}, eoi + 1
    emit(clear, width)
    prefix = indices[0]
    for k in indices[1:]:
        code = table.get((prefix, k))
        if code is not None:
            prefix = code
            continue
        emit(prefix, width)
        if nxt < 4096:
            table[(prefix, k)] = nxt
            nxt += 1
            # the reader learns this entry one code later, so widen then
            if nxt > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table, nxt, width = {}, eoi + 1, min_size + 1
        prefix = k
    emit(prefix, width)
    emit(eoi, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def lzw_decode(data, min_size):
    clear, eoi = 1 << min_size, (1 << min_size) + 1
    pos = acc = nbits = 0
    width = min_size + 1
    table = [[i] for i in range(clear)] + [None, None]
    prev, out = None, []
    while True:
        while nbits < width:
            if pos >= len(data):
                raise ValueError("LZW data ended without end code")
            acc |= data[pos] << nbits
            pos += 1
            nbits += 8
        code = acc & ((1 << width) - 1)
        acc >>= width
        nbits -= width
        if code == clear:
            table, width, prev = table[:eoi + 1], min_size + 1, None
            continue
        if code == eoi:
            return out
        if prev is None:
            entry = table[code]
        elif code < len(table):
            entry = table[code]
            if len(table) < 4096:
                table.append(prev + entry[:1])
        elif code == len(table):
            entry = prev + prev[:1]
            table.append(entry)
        else:
            raise ValueError("bad LZW code %d" % code)
        out += entry
        prev = entry
        if len(table) == (1 << width) and width < 12:
            width += 1


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def build_palette(frames):
    """Shared colour table: index 0 is the transparent/background white."""
    strip = Image.new("RGB", (GIF_SIZE * len(frames), GIF_SIZE))
    for i, f in enumerate(frames):
        strip.paste(f, (i * GIF_SIZE, 0))
    colours = {c for _, c in strip.getcolors(1 << 20)}
    if len(colours) > 254:
        q = strip.quantize(254, Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
        pal = q.getpalette()[:254 * 3]
        lut = [tuple(pal[i * 3:i * 3 + 3]) for i in range(len(pal) // 3)]
        qpx = q.load()
        spx = strip.load()
        for y in range(strip.height):
            for x in range(strip.width):
                if spx[x, y] != WHITE:
                    spx[x, y] = lut[qpx[x, y]]
        colours = {c for _, c in strip.getcolors(1 << 20)}
    table = [WHITE] + sorted(colours)          # white appears again, opaque
    while len(table) < 256:
        table.append((0, 0, 0))
    frames = [strip.crop((i * GIF_SIZE, 0, (i + 1) * GIF_SIZE, GIF_SIZE))
              for i in range(len(frames))]
    return table, frames


def encode_gif(path, frames, disposals, delay):
    table, frames = build_palette(frames)
    index = {}
    for i, c in enumerate(table):
        if i:
            index.setdefault(c, i)
    W = H = GIF_SIZE
    out = bytearray(b"GIF89a")
    out += struct.pack("<HHBBB", W, H, 0xF7, 0, 0)
    out += b"".join(bytes(c) for c in table)
    out += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
    out += b"\x21\xFE" + sub_blocks(b"Spruce busy animation")
    canvas = [WHITE] * (W * H)
    for k, (img, disp) in enumerate(zip(frames, disposals)):
        want = list(img.getdata())
        if k == 0:
            x0, y0, x1, y1 = 0, 0, W, H
        else:
            diff = [i for i in range(W * H) if canvas[i] != want[i]]
            if diff:
                xs = [i % W for i in diff]
                ys = [i // W for i in diff]
                x0, y0, x1, y1 = min(xs), min(ys), max(xs) + 1, max(ys) + 1
            else:
                x0, y0, x1, y1 = 0, 0, 1, 1
        pix = []
        for y in range(y0, y1):
            for x in range(x0, x1):
                i = y * W + x
                pix.append(0 if canvas[i] == want[i] else index[want[i]])
        out += struct.pack("<BBBBHBB", 0x21, 0xF9, 4, (disp << 2) | 1, delay, 0, 0)
        out += struct.pack("<BHHHHB", 0x2C, x0, y0, x1 - x0, y1 - y0, 0)
        out.append(8)
        out += sub_blocks(lzw_encode(pix, 8))
        # what a viewer shows next, before the following frame is drawn
        if disp == 2:
            for y in range(y0, y1):
                for x in range(x0, x1):
                    canvas[y * W + x] = WHITE
        elif disp != 3:
            canvas = want
    out.append(0x3B)
    with open(path, "wb") as fh:
        fh.write(out)
    return frames


# -------------------------------------------------------------- checks ----
def read_gif(path):
    """Walk the blocks of a GIF; return (size, palette, frames as dicts)."""
    data = open(path, "rb").read()
    assert data[:6] == b"GIF89a", "not GIF89a"
    W, H, packed, bg, _ = struct.unpack_from("<HHBBB", data, 6)
    assert packed & 0x80, "no global colour table"
    n = 2 << (packed & 7)
    pal = [tuple(data[13 + i * 3:16 + i * 3]) for i in range(n)]
    pos = 13 + 3 * n
    frames, gce, loops = [], None, False

    def skip_blocks(p):
        chunks = []
        while data[p]:
            chunks.append(data[p + 1:p + 1 + data[p]])
            p += 1 + data[p]
        return p + 1, b"".join(chunks)

    while True:
        b = data[pos]
        if b == 0x3B:
            break
        if b == 0x21:
            label = data[pos + 1]
            if label == 0xF9:
                assert data[pos + 2] == 4
                p, delay, tr = struct.unpack_from("<BHB", data, pos + 3)
                gce = {"disposal": (p >> 2) & 7, "transparent": tr if p & 1 else None,
                       "delay": delay}
            elif label == 0xFF and data[pos + 3:pos + 14] == b"NETSCAPE2.0":
                loops = True
            pos, _ = skip_blocks(pos + 2)
        elif b == 0x2C:
            x, y, w, h, p = struct.unpack_from("<HHHHB", data, pos + 1)
            pos += 10
            assert not p & 0x80, "unexpected local colour table"
            mincode = data[pos]
            pos, lzw = skip_blocks(pos + 1)
            assert gce is not None, "frame %d has no graphic control" % len(frames)
            frames.append(dict(gce, rect=(x, y, w, h), pixels=lzw_decode(lzw, mincode)))
            gce = None
        else:
            raise ValueError("unknown block 0x%02X at %d" % (b, pos))
    return (W, H, bg, loops), pal, frames


def composite(info, pal, frames):
    """Play the frames the way a viewer does on a white window."""
    W, H, bg, _ = info
    canvas = [WHITE] * (W * H)
    shown = []
    for f in frames:
        x0, y0, w, h = f["rect"]
        before = list(canvas)
        assert len(f["pixels"]) == w * h
        for i, v in enumerate(f["pixels"]):
            if v != f["transparent"]:
                canvas[(y0 + i // w) * W + x0 + i % w] = pal[v]
        shown.append(list(canvas))
        if f["disposal"] == 2:
            for y in range(y0, y0 + h):
                for x in range(x0, x0 + w):
                    canvas[y * W + x] = WHITE
        elif f["disposal"] == 3:
            canvas = before
    return shown


def bmp_info(path):
    data = open(path, "rb").read()
    assert data[:2] == b"BM", path
    w, h, planes, bpp, comp = struct.unpack_from("<iiHHI", data, 18)
    return w, h, bpp, comp


def self_check(expect_gif):
    problems = []

    def check(ok, msg):
        if not ok:
            problems.append(msg)

    # LZW round trip on data that fills the code table several times
    seed, noise = 7, []
    for i in range(20000):
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        noise.append((seed >> 16) % (7 if i < 9000 else 256))
    check(lzw_decode(lzw_encode(noise, 8), 8) == noise, "LZW round trip failed")
    for name, cap, _ in BUTTONS:
        p = os.path.join(HERE, name)
        check(bmp_info(p) == (BTN_W * 2, BTN_H, 24, 0), name + " header")
        im = Image.open(p).convert("RGB")
        bad = {c for _, c in im.getcolors(1 << 20)} & MAPPED_GREYS
        check(not bad, "%s contains %s" % (name, bad))
    for name, size in (("header164.bmp", (HDR_W, HDR_H)), ("top165.bmp", (472, 18)),
                       ("frame159.bmp", (418, 66)), ("thermo134.bmp", (86, 75))):
        check(bmp_info(os.path.join(HERE, name)) == size + (24, 0), name + " header")
    hdr = Image.open(os.path.join(HERE, "header164.bmp")).convert("RGB")
    top = Image.open(os.path.join(HERE, "top165.bmp")).convert("RGB")
    behind = hdr.crop(LOGO_BOX)
    # the logo is drawn without a background, so its untouched pixels must be
    # the header's own: the top row and the margins left and right
    for i in (0, 1):
        fr = top.crop((i * 236, 0, i * 236 + 236, 18))
        for box in ((0, 0, 236, 1), (0, 0, 4, 18), (228, 0, 236, 18)):
            check(list(fr.crop(box).getdata()) == list(behind.crop(box).getdata()),
                  "top165 frame %d does not sit on the header at %s" % (i, box))
    vb = hdr.crop(VERSION_BOX).convert("L")
    check(max(vb.getdata()) < 150, "version area too light for white text")
    for name in ("icon128.ico", "icon133.ico"):
        im = Image.open(os.path.join(HERE, name))
        check(sorted(im.info.get("sizes", ())) == [(16, 16), (32, 32), (48, 48)],
              name + " sizes %s" % im.info.get("sizes"))
    info, pal, frames = read_gif(os.path.join(HERE, "anim177.gif"))
    disp = [f["disposal"] for f in frames]
    check(info[:2] == (GIF_SIZE, GIF_SIZE) and info[3], "GIF screen or loop")
    check(len(frames) == GIF_FRAMES, "GIF frame count %d" % len(frames))
    check(2 in disp and 3 in disp, "GIF disposals %s" % disp)
    check(all(8 <= f["delay"] <= 12 for f in frames), "GIF delays")
    check(pal[info[2]] == WHITE, "GIF background is not white")
    shown = composite(info, pal, frames)
    for k, (got, want) in enumerate(zip(shown, expect_gif)):
        check(got == list(want.getdata()), "GIF frame %d plays back wrong" % k)
    # and once more through Pillow's own reader
    pil = Image.open(os.path.join(HERE, "anim177.gif"))
    check(pil.n_frames == GIF_FRAMES, "Pillow sees %d frames" % pil.n_frames)
    for k in range(min(pil.n_frames, len(expect_gif))):
        pil.seek(k)
        shot = Image.new("RGBA", pil.size, WHITE + (255,))
        shot.alpha_composite(pil.convert("RGBA"))
        check(list(shot.convert("RGB").getdata()) == list(expect_gif[k].getdata()),
              "Pillow plays GIF frame %d differently" % k)
    print("anim177.gif: %d frames, delays %s, disposals %s, rects %s" % (
        len(frames), sorted({f["delay"] for f in frames}), disp,
        [f["rect"] for f in frames]))
    return problems


# ---------------------------------------------------------------- main ----
def main(argv):
    preview = argv[argv.index("--preview") + 1] if "--preview" in argv else None
    written = []

    def save_bmp(img, name):
        img.save(os.path.join(HERE, name), "BMP")
        written.append(name)

    for name, caption, pic in BUTTONS:
        save_bmp(make_button(caption, pic), name)
    header = make_header()
    save_bmp(header, "header164.bmp")
    save_bmp(make_top(header), "top165.bmp")
    save_bmp(make_frame(), "frame159.bmp")
    save_bmp(make_thermo(), "thermo134.bmp")
    for name, tile in (("icon128.ico", True), ("icon133.ico", False)):
        write_ico(os.path.join(HERE, name), [icon_image(s, tile) for s in (16, 32, 48)])
        written.append(name)
    gif_frames = encode_gif(os.path.join(HERE, "anim177.gif"),
                            [busy_frame(k) for k in range(GIF_FRAMES)],
                            GIF_DISPOSAL, GIF_DELAY)
    written.append("anim177.gif")

    problems = self_check(gif_frames)
    for name in written:
        print("%-14s %7d bytes" % (name, os.path.getsize(os.path.join(HERE, name))))
    if preview:
        write_previews(preview, written, gif_frames)
    if problems:
        print("PROBLEMS:\n  " + "\n  ".join(problems))
        return 1
    print("self-check passed")
    return 0


def write_previews(folder, names, gif_frames):
    os.makedirs(folder, exist_ok=True)
    for name in names:
        p = os.path.join(HERE, name)
        stem = os.path.splitext(name)[0]
        if name.endswith(".ico"):
            ims = []
            ico = Image.open(p)
            for s in (16, 32, 48):
                ico.size = (s, s)
                ims.append(ico.copy().convert("RGBA"))
            sheet = Image.new("RGBA", (16 + 32 + 48 + 40, 56), (255, 255, 255, 255))
            x = 8
            for im in ims:
                sheet.alpha_composite(im, (x, 4))
                x += im.width + 8
            dark = Image.new("RGBA", sheet.size, (40, 60, 70, 255))
            x = 8
            for im in ims:
                dark.alpha_composite(im, (x, 4))
                x += im.width + 8
            both = Image.new("RGBA", (sheet.width, 112))
            both.paste(sheet, (0, 0))
            both.paste(dark, (0, 56))
            both.resize((both.width * 4, both.height * 4), Image.Resampling.NEAREST).save(
                os.path.join(folder, stem + ".png"))
            continue
        if name.endswith(".gif"):
            sheet = Image.new("RGB", (GIF_SIZE * len(gif_frames), GIF_SIZE))
            for i, f in enumerate(gif_frames):
                sheet.paste(f, (i * GIF_SIZE, 0))
            sheet.resize((sheet.width * 3, sheet.height * 3), Image.Resampling.NEAREST).save(
                os.path.join(folder, stem + ".png"))
            continue
        im = Image.open(p).convert("RGB")
        im.resize((im.width * 3, im.height * 3), Image.Resampling.NEAREST).save(
            os.path.join(folder, stem + ".png"))


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
