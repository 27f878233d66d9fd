#!/usr/bin/python3
"""Generates the SVG pictures of the main window's skin.

Output: src/ui/resources/img/*.svg and src/ui/resources/resources.qrc.

All text is converted to outlines with fontTools, so the pictures do not
depend on the fonts installed where the program runs.  Fonts used at
generation time (Debian packages fonts-dejavu-core, fonts-urw-base35):
  - URW Bookman Demi Italic   (logo "Bindelora")
  - DejaVu Sans Condensed Bold (button captions, speech bubble)
  - DejaVu Sans Bold / Book   (speech bubble)

Requires python3-fonttools (apt-get install -y python3-fonttools).
Run:  /usr/bin/python3 tools/gen_skin.py
"""

import math
import os
import sys

from fontTools.ttLib import TTFont
from fontTools.pens.svgPathPen import SVGPathPen
from fontTools.pens.transformPen import TransformPen

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT_DIR = os.path.join(ROOT, "src", "ui", "resources")
IMG_DIR = os.path.join(OUT_DIR, "img")

FONT_FILES = {
    "logo": "/usr/share/fonts/opentype/urw-base35/URWBookman-DemiItalic.otf",
    "caption": "/usr/share/fonts/truetype/dejavu/DejaVuSansCondensed-Bold.ttf",
    "bold": "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
    "book": "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
}


# --------------------------------------------------------------------------
# numbers and colours

def n(v):
    """Compact number formatting."""
    s = "%.2f" % v
    s = s.rstrip("0").rstrip(".")
    if s in ("-0", ""):
        s = "0"
    return s


def hex2rgb(c):
    c = c.lstrip("#")
    return tuple(int(c[i:i + 2], 16) for i in (0, 2, 4))


def rgb2hex(r, g, b):
    return "#%02X%02X%02X" % tuple(max(0, min(255, int(round(v)))) for v in (r, g, b))


def mix(c1, c2, t):
    a, b = hex2rgb(c1), hex2rgb(c2)
    return rgb2hex(*[a[i] + (b[i] - a[i]) * t for i in range(3)])


def over(bg, fg, alpha):
    """Colour of fg with opacity alpha painted over bg."""
    return mix(bg, fg, alpha)


def lum(c):
    r, g, b = hex2rgb(c)
    return (0.299 * r + 0.587 * g + 0.114 * b) / 255.0


# --------------------------------------------------------------------------
# palette

BG = "#84B0D4"          # window background
OUTLINE = "#0F2542"     # outermost line of the window
HILITE = "#7CA3CC"      # 1 px highlight inside the outline (top / left)
HILITE_SIDE = "#5F8BBA"
TOP_1 = "#5686B8"       # top bar gradient
TOP_2 = "#3D6C9E"
BAR = "#2B5584"         # sidebar body (= end of the top bar gradient)
EDGE = "#15365E"        # line where the frame meets the background
MID = "#2E5A8A"         # middle line of the thin right / bottom edges
SHADOW_INK = "#000028"
SH1 = over(BG, SHADOW_INK, 0.24)   # shadow cast by the frame, first px
SH2 = over(BG, SHADOW_INK, 0.10)   # second px


# --------------------------------------------------------------------------
# fonts

class Font:
    def __init__(self, path):
        self.tt = TTFont(path)
        self.upm = self.tt["head"].unitsPerEm
        self.cmap = self.tt.getBestCmap()
        self.gs = self.tt.getGlyphSet()
        self.hmtx = self.tt["hmtx"]
        self.kern = self._read_kerning()
        os2 = self.tt["OS/2"]
        self.cap = getattr(os2, "sCapHeight", 0) or 0.72 * self.upm

    def _read_kerning(self):
        pairs = {}
        if "GPOS" not in self.tt:
            return pairs
        table = self.tt["GPOS"].table
        if not table.FeatureList:
            return pairs
        idx = set()
        for fr in table.FeatureList.FeatureRecord:
            if fr.FeatureTag == "kern":
                idx.update(fr.Feature.LookupListIndex)
        for li in sorted(idx):
            lookup = table.LookupList.Lookup[li]
            for st in lookup.SubTable:
                if lookup.LookupType == 9:
                    st = st.ExtSubTable
                fmt = getattr(st, "Format", None)
                cov = st.Coverage.glyphs
                if fmt == 1:
                    for g1, ps in zip(cov, st.PairSet):
                        for rec in ps.PairValueRecord:
                            v = getattr(rec.Value1, "XAdvance", 0) if rec.Value1 else 0
                            pairs.setdefault((g1, rec.SecondGlyph), v)
                elif fmt == 2:
                    cd1 = st.ClassDef1.classDefs
                    cd2 = st.ClassDef2.classDefs
                    by2 = {}
                    for g, c in cd2.items():
                        by2.setdefault(c, []).append(g)
                    wanted = set(self.cmap.values())
                    for g1 in cov:
                        if g1 not in wanted:
                            continue
                        c1 = cd1.get(g1, 0)
                        rec1 = st.Class1Record[c1]
                        for c2, r2 in enumerate(rec1.Class2Record):
                            v = getattr(r2.Value1, "XAdvance", 0) if r2.Value1 else 0
                            if not v:
                                continue
                            for g2 in by2.get(c2, []):
                                if g2 in wanted:
                                    pairs.setdefault((g1, g2), v)
        return pairs

    def glyphs(self, text):
        return [self.cmap[ord(ch)] for ch in text]

    def width(self, text, size, tracking=0.0):
        s = size / self.upm
        gl = self.glyphs(text)
        w = 0.0
        for i, g in enumerate(gl):
            w += self.hmtx[g][0] * s
            if i + 1 < len(gl):
                w += self.kern.get((g, gl[i + 1]), 0) * s + tracking
        return w

    def path(self, text, x, y, size, tracking=0.0, sx=1.0):
        """SVG path data of text with its baseline starting at (x, y)."""
        s = size / self.upm
        gl = self.glyphs(text)
        out = []
        cx = x
        for i, g in enumerate(gl):
            pen = SVGPathPen(self.gs, ntos=n)
            tp = TransformPen(pen, (s * sx, 0, 0, -s, cx, y))
            self.gs[g].draw(tp)
            out.append(pen.getCommands())
            adv = self.hmtx[g][0] * s
            if i + 1 < len(gl):
                adv += self.kern.get((g, gl[i + 1]), 0) * s + tracking
            cx += adv * sx
        return "".join(out)


FONTS = {}


def font(name):
    if name not in FONTS:
        FONTS[name] = Font(FONT_FILES[name])
    return FONTS[name]


# --------------------------------------------------------------------------
# SVG document

class Doc:
    def __init__(self, name, w, h):
        self.name, self.w, self.h = name, w, h
        self.defs = []
        self.items = []
        self._ids = 0

    def uid(self, base):
        self._ids += 1
        return "%s%d" % (base, self._ids)

    def lin(self, x1, y1, x2, y2, stops):
        """Linear gradient in user space; stops = [(offset, colour[, opacity])]."""
        gid = self.uid("g")
        st = []
        for s in stops:
            op = ' stop-opacity="%s"' % n(s[2]) if len(s) > 2 else ""
            st.append('<stop offset="%s" stop-color="%s"%s/>' % (n(s[0]), s[1], op))
        self.defs.append(
            '<linearGradient id="%s" gradientUnits="userSpaceOnUse" x1="%s" y1="%s" x2="%s" y2="%s">%s</linearGradient>'
            % (gid, n(x1), n(y1), n(x2), n(y2), "".join(st)))
        return "url(#%s)" % gid

    def rad(self, cx, cy, r, stops, fx=None, fy=None):
        gid = self.uid("r")
        st = []
        for s in stops:
            op = ' stop-opacity="%s"' % n(s[2]) if len(s) > 2 else ""
            st.append('<stop offset="%s" stop-color="%s"%s/>' % (n(s[0]), s[1], op))
        f = ""
        if fx is not None:
            f = ' fx="%s" fy="%s"' % (n(fx), n(fy))
        self.defs.append(
            '<radialGradient id="%s" gradientUnits="userSpaceOnUse" cx="%s" cy="%s" r="%s"%s>%s</radialGradient>'
            % (gid, n(cx), n(cy), n(r), f, "".join(st)))
        return "url(#%s)" % gid

    def add(self, s):
        self.items.append(s)

    def rect(self, x, y, w, h, fill, op=None, rx=None, stroke=None, sw=1, sop=None):
        a = '<rect x="%s" y="%s" width="%s" height="%s"' % (n(x), n(y), n(w), n(h))
        if rx:
            a += ' rx="%s" ry="%s"' % (n(rx), n(rx))
        a += ' fill="%s"' % fill
        if op is not None:
            a += ' fill-opacity="%s"' % n(op)
        if stroke:
            a += ' stroke="%s" stroke-width="%s"' % (stroke, n(sw))
            if sop is not None:
                a += ' stroke-opacity="%s"' % n(sop)
        self.add(a + "/>")

    def path(self, d, fill="none", op=None, stroke=None, sw=1, sop=None,
             cap=None, join=None, rule=None):
        a = '<path d="%s" fill="%s"' % (d, fill)
        if op is not None:
            a += ' fill-opacity="%s"' % n(op)
        if rule:
            a += ' fill-rule="%s"' % rule
        if stroke:
            a += ' stroke="%s" stroke-width="%s"' % (stroke, n(sw))
            if sop is not None:
                a += ' stroke-opacity="%s"' % n(sop)
            if cap:
                a += ' stroke-linecap="%s"' % cap
            if join:
                a += ' stroke-linejoin="%s"' % join
        self.add(a + "/>")

    def circle(self, cx, cy, r, fill, op=None, stroke=None, sw=1):
        a = '<circle cx="%s" cy="%s" r="%s" fill="%s"' % (n(cx), n(cy), n(r), fill)
        if op is not None:
            a += ' fill-opacity="%s"' % n(op)
        if stroke:
            a += ' stroke="%s" stroke-width="%s"' % (stroke, n(sw))
        self.add(a + "/>")

    def ellipse(self, cx, cy, rx, ry, fill, op=None, stroke=None, sw=1):
        a = '<ellipse cx="%s" cy="%s" rx="%s" ry="%s" fill="%s"' % (n(cx), n(cy), n(rx), n(ry), fill)
        if op is not None:
            a += ' fill-opacity="%s"' % n(op)
        if stroke:
            a += ' stroke="%s" stroke-width="%s"' % (stroke, n(sw))
        self.add(a + "/>")

    def group(self, dx, dy):
        self.add('<g transform="translate(%s,%s)">' % (n(dx), n(dy)))

    def end(self):
        self.add("</g>")

    def text(self, fontname, txt, x, y, size, fill, op=None, tracking=0.0, sx=1.0):
        self.path(font(fontname).path(txt, x, y, size, tracking, sx), fill=fill, op=op)

    def save(self):
        head = ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
                'width="%d" height="%d" viewBox="0 0 %d %d">\n' % (self.w, self.h, self.w, self.h))
        body = ""
        if self.defs:
            body += "<defs>\n" + "\n".join(self.defs) + "\n</defs>\n"
        body += "\n".join(self.items) + "\n"
        with open(os.path.join(IMG_DIR, self.name + ".svg"), "w", encoding="utf-8") as f:
            f.write(head + body + "</svg>\n")
        WRITTEN.append(self.name)


WRITTEN = []


def rrect(x, y, w, h, r):
    """Rounded rectangle as path data."""
    return ("M%s,%sH%sA%s,%s 0 0 1 %s,%sV%sA%s,%s 0 0 1 %s,%sH%sA%s,%s 0 0 1 %s,%sV%sA%s,%s 0 0 1 %s,%sZ"
            % (n(x + r), n(y), n(x + w - r), n(r), n(r), n(x + w), n(y + r), n(y + h - r),
               n(r), n(r), n(x + w - r), n(y + h), n(x + r), n(r), n(r), n(x), n(y + h - r),
               n(y + r), n(r), n(r), n(x + r), n(y)))


# --------------------------------------------------------------------------
# frame pieces

def top_bar_rows(d, x0, x1):
    """Rows 0..29 of the top bar between x0 and x1."""
    w = x1 - x0
    d.rect(x0, 0, w, 1, OUTLINE)
    d.rect(x0, 1, w, 1, HILITE)
    d.rect(x0, 2, w, 27, d.lin(0, 2, 0, 29, [(0, TOP_1), (0.45, TOP_2), (1, BAR)]))
    # a faint gloss on the upper half
    d.rect(x0, 2, w, 11, d.lin(0, 2, 0, 13, [(0, "#FFFFFF", 0.10), (1, "#FFFFFF", 0.0)]))


def img12():
    d = Doc("img12", 64, 32)
    top_bar_rows(d, 0, 64)
    d.rect(0, 29, 64, 1, EDGE)
    d.rect(0, 30, 64, 1, SH1)
    d.rect(0, 31, 64, 1, SH2)
    d.save()


def img21():
    d = Doc("img21", 103, 64)
    d.rect(0, 0, 1, 64, OUTLINE)
    d.rect(1, 0, 1, 64, HILITE_SIDE)
    d.rect(2, 0, 98, 64, BAR)
    d.rect(99, 0, 1, 64, mix(BAR, EDGE, 0.35))
    d.rect(100, 0, 1, 64, EDGE)
    d.rect(101, 0, 1, 64, SH1)
    d.rect(102, 0, 1, 64, SH2)
    d.save()


def img23():
    d = Doc("img23", 3, 64)
    d.rect(0, 0, 1, 64, EDGE)
    d.rect(1, 0, 1, 64, MID)
    d.rect(2, 0, 1, 64, OUTLINE)
    d.save()


def img32():
    d = Doc("img32", 64, 3)
    d.rect(0, 0, 64, 1, EDGE)
    d.rect(0, 1, 64, 1, MID)
    d.rect(0, 2, 64, 1, OUTLINE)
    d.save()


def img33():
    d = Doc("img33", 3, 3)
    d.rect(0, 0, 1, 1, EDGE)
    d.rect(1, 0, 1, 2, MID)
    d.rect(0, 1, 1, 1, MID)
    d.rect(2, 0, 1, 3, OUTLINE)
    d.rect(0, 2, 3, 1, OUTLINE)
    d.save()


def img31():
    d = Doc("img31", 103, 6)
    # sidebar continuing down to the bottom edge
    d.rect(0, 0, 1, 6, OUTLINE)
    d.rect(1, 0, 1, 5, HILITE_SIDE)
    d.rect(2, 0, 97, 4, BAR)
    d.rect(99, 0, 1, 4, mix(BAR, EDGE, 0.35))
    d.rect(100, 0, 1, 4, EDGE)
    d.rect(101, 0, 1, 3, SH1)
    d.rect(102, 0, 1, 3, SH2)
    # bottom edge
    d.rect(101, 3, 2, 1, EDGE)
    d.rect(2, 4, 101, 1, MID)
    d.rect(1, 5, 102, 1, OUTLINE)
    d.save()


def img13():
    d = Doc("img13", 56, 32)
    top_bar_rows(d, 0, 55)
    d.rect(55, 0, 1, 32, OUTLINE)
    d.rect(53, 1, 1, 28, mix(TOP_2, BAR, 0.5))
    d.rect(54, 1, 1, 28, mix(BAR, EDGE, 0.4))
    d.rect(0, 29, 53, 1, EDGE)
    d.rect(0, 30, 53, 1, SH1)
    d.rect(0, 31, 53, 1, SH2)
    d.rect(53, 29, 1, 3, EDGE)
    d.rect(54, 29, 1, 3, MID)
    # recessed tray behind the minimise and close buttons
    # (buttons at x 8 and 31, y 6, 16 x 13)
    d.path(rrect(4.5, 2.5, 47, 20, 6), fill=OUTLINE, op=0.30)
    d.path(rrect(4.5, 2.5, 47, 20, 6), stroke="#0A1A30", sw=1, sop=0.45)
    d.path("M8,23.5H48", stroke="#FFFFFF", sw=1, sop=0.16)
    d.save()


def img11():
    d = Doc("img11", 134, 55)
    # background part (x >= 103, y >= 32)
    d.rect(101, 30, 33, 25, BG)
    d.rect(101, 30, 33, 2, SH2)
    d.rect(101, 30, 2, 25, SH2)
    d.rect(101, 30, 33, 1, SH1)
    d.rect(101, 30, 1, 25, SH1)
    # top bar over the whole width
    top_bar_rows(d, 0, 134)
    # sidebar under it
    d.rect(2, 29, 98, 26, BAR)
    d.rect(99, 29, 1, 26, mix(BAR, EDGE, 0.35))
    d.rect(100, 29, 34, 1, EDGE)
    d.rect(100, 29, 1, 26, EDGE)
    d.rect(0, 0, 1, 55, OUTLINE)
    d.rect(1, 1, 1, 54, HILITE_SIDE)
    d.rect(1, 1, 133, 1, HILITE)
    d.rect(0, 0, 134, 1, OUTLINE)

    # logo: small calendar-book glyph + "Bindelora"
    f = font("logo")
    size, tr, sx = 20, -0.6, 0.9
    text = "Bindelora"
    w = f.width(text, size, tr) * sx
    x = 7 + (88 - w) / 2.0
    base = 32
    d.path(f.path(text, x + 1, base + 1.5, size, tr, sx), fill="#081830", op=0.55)
    d.path(f.path(text, x, base, size, tr, sx),
           fill=d.lin(0, base - 15, 0, base, [(0, "#FFFFFF"), (1, "#D5E6F7")]))
    # underline swash
    d.path("M%s,%sC%s,%s %s,%s %s,%s" % (n(x + 3), n(base + 5.2), n(x + 30), n(base + 2.8),
                                         n(x + 60), n(base + 3.0), n(x + w - 1), n(base + 4.2)),
           stroke="#081830", sw=1.6, sop=0.4, cap="round")
    d.path("M%s,%sC%s,%s %s,%s %s,%s" % (n(x + 3), n(base + 4.4), n(x + 30), n(base + 2),
                                         n(x + 60), n(base + 2.2), n(x + w - 1), n(base + 3.4)),
           stroke="#F5C542", sw=1.6, cap="round")
    # engraved separator under the logo
    # engraved separator with a tiny calendar in the middle
    for x0, x1 in ((10, 41), (59, 90)):
        d.rect(x0, 46, x1 - x0, 1, mix(BAR, EDGE, 0.7))
        d.rect(x0, 47, x1 - x0, 1, mix(BAR, "#FFFFFF", 0.12))
    d.path(rrect(44.5, 41.5, 11, 10, 1.5), fill="#000000", op=0.25)
    d.path(rrect(44, 40.5, 11, 10, 1.5), fill="#F4F8FC", stroke="#0B1D36", sw=1)
    d.path("M44,44.5V42A1.5,1.5 0 0 1 45.5,40.5H53.5A1.5,1.5 0 0 1 55,42V44.5Z", fill="#E5533D",
           stroke="#0B1D36", sw=1)
    d.path("M47,39.5V41.5M52,39.5V41.5", stroke="#F4F8FC", sw=1.2, cap="round")
    for yy in (46, 48.2):
        for xx in (46, 48.5, 51):
            d.rect(xx, yy, 1.6, 1.2, "#7D93AE")
    d.rect(51, 48.2, 1.6, 1.2, "#E5533D")
    d.save()


# --------------------------------------------------------------------------
# small window buttons

def win_button(name, kind, pressed):
    d = Doc(name, 16, 13)
    if kind == "mini":
        top, bot, border = ("#79A6D4", "#3F70A4", "#0B1D36") if not pressed else ("#24497A", "#3A679A", "#081628")
    else:
        top, bot, border = ("#F08A72", "#C0392B", "#3E0C08") if not pressed else ("#8C2219", "#B6392C", "#2A0705")
    d.path(rrect(0.5, 0.5, 15, 12, 3), fill=d.lin(0, 0, 0, 13, [(0, top), (1, bot)]),
           stroke=border, sw=1)
    if not pressed:
        d.path("M3.5,1.5H12.5", stroke="#FFFFFF", sw=1, sop=0.45)
    else:
        d.path("M3,1.5H13", stroke="#000000", sw=1, sop=0.35)
    dy = 1 if pressed else 0
    sym = "#FFFFFF" if not pressed else "#E6EEF7"
    if kind == "mini":
        d.rect(4, 8 + dy + 1, 8, 2, "#000000", op=0.30)
        d.rect(4, 8 + dy, 8, 2, sym)
    else:
        cx, cy = 8, 6.5 + dy
        xs = "M%s,%sL%s,%sM%s,%sL%s,%s" % (n(cx - 2.8), n(cy - 2.8), n(cx + 2.8), n(cy + 2.8),
                                             n(cx + 2.8), n(cy - 2.8), n(cx - 2.8), n(cy + 2.8))
        d.group(0, 1)
        d.path(xs, stroke="#000000", sw=1.9, sop=0.30, cap="round")
        d.end()
        d.path(xs, stroke=sym, sw=1.9, cap="round")
    d.save()


# --------------------------------------------------------------------------
# icons for the view buttons (22 x 22 local box); c maps colours

def icon_lista(d, c):
    d.path(rrect(3.5, 1.5, 16, 19, 2), fill=d.lin(0, 1, 0, 21, [(0, c("#FFFFFF")), (1, c("#DCE7F3"))]),
           stroke=c("#1B3557"), sw=1)
    d.path("M8,1.5V0.5H15V1.5", stroke=c("#1B3557"), sw=1)
    d.rect(8, 0, 7, 3, c("#8A9BB0"), rx=1)
    for i, col in enumerate(["#E5533D", "#3FA34D", "#F0A020", "#3C78D8"]):
        y = 6 + i * 4
        d.circle(7, y, 1.4, c(col))
        d.path("M10,%sH16.5" % n(y), stroke=c("#6F86A3"), sw=1.5, cap="round")


def icon_datos(d, c):
    d.path(rrect(1.5, 3.5, 20, 15, 2.5), fill=d.lin(0, 3, 0, 19, [(0, c("#FFFDF4")), (1, c("#F1E5C6"))]),
           stroke=c("#1B3557"), sw=1)
    # photo frame
    d.rect(4, 6, 7, 9, c("#CFE0F2"), rx=1)
    d.circle(7.5, 9, 2.1, c("#2F6DB0"))
    d.path("M4.2,15C4.4,12.2 5.9,11.7 7.5,11.7C9.1,11.7 10.6,12.2 10.8,15Z", fill=c("#2F6DB0"))
    for y, x2 in ((7.5, 19), (10.5, 18), (13.5, 17)):
        d.path("M13,%sH%s" % (n(y), n(x2)), stroke=c("#8A7A55"), sw=1.3, cap="round")
    d.path("M4,16.8H19", stroke=c("#E5533D"), sw=1, sop=0.8)


def icon_cumples(d, c):
    d.ellipse(11, 20, 10, 1.8, c("#E9EEF4"), stroke=c("#5C6F86"), sw=0.8)
    # bottom tier
    d.path(rrect(2.5, 12.5, 17, 7, 1.5), fill=c("#F4D29C"), stroke=c("#6B4423"), sw=1)
    d.path("M2.5,14C2.5,13.2 3.2,12.5 4,12.5H18C18.8,12.5 19.5,13.2 19.5,14V15.2"
           "C18.5,16.6 17.3,15 16.3,16.2C15.3,17.4 14.2,15.3 13,16.4C11.8,17.5 10.6,15.3 9.4,16.3"
           "C8.2,17.3 7,15.4 5.8,16.3C4.6,17.2 3.4,15.6 2.5,16.2Z",
           fill=c("#F06292"))
    # top tier
    d.path(rrect(5.5, 8.5, 11, 5, 1.5), fill=c("#FFF3E0"), stroke=c("#6B4423"), sw=1)
    d.path("M6,11.2H16", stroke=c("#F06292"), sw=1.2, sop=0.9)
    # candles
    for x, col in ((7.4, "#42A5F5"), (11, "#66BB6A"), (14.6, "#BA68C8")):
        d.rect(x - 0.8, 4.6, 1.6, 4, c(col))
        d.rect(x - 0.8, 5.6, 1.6, 0.7, c("#FFFFFF"), op=0.7)
        d.path("M%s,0.2C%s,1.8 %s,4 %s,4C%s,4 %s,1.8 %s,0.2Z"
               % (n(x), n(x + 1.2), n(x + 1.1), n(x), n(x - 1.1), n(x - 1.2), n(x)),
               fill=c("#FF8F00"))
        d.ellipse(x, 2.9, 0.55, 0.9, c("#FFF59D"))


def icon_avisal(d, c):
    # calendar page
    d.path(rrect(1.5, 3.5, 16, 16, 2), fill=c("#FFFFFF"), stroke=c("#1B3557"), sw=1)
    d.path("M1.5,8.5V5.5A2,2 0 0 1 3.5,3.5H15.5A2,2 0 0 1 17.5,5.5V8.5Z", fill=c("#E5533D"),
           stroke=c("#1B3557"), sw=1)
    for x in (5.5, 13.5):
        d.path("M%s,1.5V5.5" % n(x), stroke=c("#1B3557"), sw=1.6, cap="round")
    for row in range(3):
        for col in range(3):
            if row == 2 and col == 2:
                continue
            d.rect(3.5 + col * 4, 10 + row * 3, 2.5, 1.8, c("#8FA3BC"))
    d.rect(7.5, 13, 2.5, 1.8, c("#E5533D"))
    # bell
    bell = ("M11.8,19.2C12.8,18.4 13.1,17.2 13.1,15.2C13.1,12.6 14.5,11 16.6,11C18.7,11 20.1,12.6 20.1,15.2"
            "C20.1,17.2 20.4,18.4 21.4,19.2Z")
    d.circle(16.6, 20.1, 1.3, c("#8A5A00"))
    d.path(bell, fill=d.lin(13, 11, 20, 19, [(0, c("#FFE082")), (1, c("#F0A500"))]),
           stroke=c("#7A4E00"), sw=0.9, join="round")
    d.circle(16.6, 10.6, 0.9, c("#7A4E00"))
    d.path("M14.6,14.3C14.7,13.2 15.2,12.6 15.9,12.4", stroke=c("#FFFFFF"), sw=0.8, sop=0.8, cap="round")


def gear_path(cx, cy, r_out, r_in, teeth, r_hole):
    pts = []
    step = 2 * math.pi / teeth
    for i in range(teeth):
        a = i * step - math.pi / 2
        # tooth: flat top between a - 0.2 step .. a + 0.2 step
        for (ang, r) in ((a - 0.34 * step, r_in), (a - 0.2 * step, r_out),
                         (a + 0.2 * step, r_out), (a + 0.34 * step, r_in)):
            pts.append((cx + r * math.cos(ang), cy + r * math.sin(ang)))
    dd = "M" + "L".join("%s,%s" % (n(x), n(y)) for x, y in pts) + "Z"
    dd += ("M%s,%sA%s,%s 0 1 0 %s,%sA%s,%s 0 1 0 %s,%sZ"
           % (n(cx + r_hole), n(cy), n(r_hole), n(r_hole), n(cx - r_hole), n(cy),
              n(r_hole), n(r_hole), n(cx + r_hole), n(cy)))
    return dd


def icon_config(d, c):
    g = gear_path(11, 11, 10, 7.6, 8, 3.2)
    d.path(g, fill=d.lin(4, 2, 18, 20, [(0, c("#F4F7FA")), (0.55, c("#C3CFDC")), (1, c("#8FA1B6"))]),
           stroke=c("#22364F"), sw=1, rule="evenodd", join="round")
    d.path("M%s,11A4.6,4.6 0 1 0 %s,11A4.6,4.6 0 1 0 %s,11Z" % (n(15.6), n(6.4), n(15.6)),
           stroke=c("#7D90A6"), sw=0.8)


ICONS = {
    "Lista": icon_lista,
    "Datos": icon_datos,
    "Cumples": icon_cumples,
    "Avisal": icon_avisal,
    "Config": icon_config,
}
CAPTIONS = {"Lista": "Lista", "Datos": "Datos", "Cumples": "Cumples", "Avisal": "Avisal",
            "Config": "Config."}


def disabled_colour(col):
    l = lum(col)
    return mix("#41699A", "#9DB3CC", l)


def view_button(key, state, h):
    w = 77
    d = Doc("btn%s_%s" % (key, state), w, h)
    # surroundings in the sidebar colour, so the picture is opaque
    d.rect(0, 0, w, h, BAR)
    body = rrect(0.5, 0.5, w - 1, h - 1, 6)
    inner = rrect(1.5, 1.5, w - 3, h - 3, 5)
    ident = lambda col: col
    col = ident
    dx = dy = 0
    text_fill, text_shadow = "#FFFFFF", 0.55
    if state == "normal":
        d.path(body, fill=d.lin(0, 0, 0, h, [(0, "#4576A9"), (0.5, "#386896"), (1, "#2F5D8C")]),
               stroke="#132F52")
        d.path(inner, stroke="#FFFFFF", sw=1, sop=0.10)
        d.path("M6,1.5H71", stroke="#FFFFFF", sw=1, sop=0.30)
    elif state == "hover":
        d.path(rrect(0.5, 0.5, w - 1, h - 1, 6), fill="#9CC8F0", op=0.5)
        d.path(rrect(1.5, 1.5, w - 3, h - 3, 5),
               fill=d.lin(0, 1, 0, h - 1, [(0, "#6FA3D8"), (0.5, "#5289C0"), (1, "#4379B2")]),
               stroke="#163A63")
        d.path(rrect(2.5, 2.5, w - 5, h - 5, 4), stroke="#FFFFFF", sw=1, sop=0.18)
        d.path("M7,2.5H70", stroke="#FFFFFF", sw=1, sop=0.45)
        # soft glow behind the icon
        d.circle(18, h / 2.0, 14, d.rad(18, h / 2.0, 14, [(0, "#FFFFFF", 0.28), (1, "#FFFFFF", 0)]))
    elif state == "pressed":
        d.path(body, fill=d.lin(0, 0, 0, h, [(0, "#1D416C"), (0.5, "#24497A"), (1, "#2C5687")]),
               stroke="#0C1F38")
        d.path("M4,1.5H73", stroke="#000000", sw=1, sop=0.35)
        d.path("M3,2.5H74", stroke="#000000", sw=1, sop=0.15)
        d.path("M6,%sH71" % n(h - 1.5), stroke="#FFFFFF", sw=1, sop=0.12)
        dx = dy = 1
        text_fill = "#E3EDF8"
    else:  # disabled
        d.path(body, fill="#335F8F", stroke="#27507D")
        col = disabled_colour
        text_fill, text_shadow = "#93AECB", 0.0
    # icon
    d.group(5 + dx, (h - 22) / 2.0 + dy)
    ICONS[key](d, col)
    d.end()
    # caption
    f = font("caption")
    cap = CAPTIONS[key]
    size = 11
    area_x0, area_x1 = 28, 74
    tw = f.width(cap, size)
    sx = 1.0
    if tw > area_x1 - area_x0:
        sx = (area_x1 - area_x0) / tw
        tw = area_x1 - area_x0
    x = area_x0 + (area_x1 - area_x0 - tw) / 2.0 + dx
    capH = f.cap * size / f.upm
    base = round(h / 2.0 + capH / 2.0) + dy
    if text_shadow:
        d.path(f.path(cap, x, base + 1, size, sx=sx), fill="#081A30", op=text_shadow)
    d.path(f.path(cap, x, base, size, sx=sx), fill=text_fill)
    d.save()


# --------------------------------------------------------------------------
# shadows around the content panels

SH_MAX = 0.35


def prof(i, length):
    t = 1.0 - (i + 0.5) / length
    return SH_MAX * t ** 1.6


def ramp(i, length):
    t = (i + 0.5) / length
    return t * t * (3 - 2 * t)


def shadow_pixels(d, alpha):
    for y in range(d.h):
        for x in range(d.w):
            a = alpha(x, y)
            if a > 0.004:
                d.rect(x, y, 1, 1, SHADOW_INK, op=a)


def shadows():
    d = Doc("s1", 14, 8)
    shadow_pixels(d, lambda x, y: prof(y, 8) * ramp(x, 14))
    d.save()
    d = Doc("s2", 64, 8)
    for y in range(8):
        d.rect(0, y, 64, 1, SHADOW_INK, op=prof(y, 8))
    d.save()
    d = Doc("s4", 6, 64)
    for x in range(6):
        d.rect(x, 0, 1, 64, SHADOW_INK, op=prof(x, 6))
    d.save()
    d = Doc("s5", 6, 8)
    shadow_pixels(d, lambda x, y: prof(x, 6) * ramp(y, 8))
    d.save()

    def corner(x, y):
        dx, dy = x - 5, y - 5
        if dx < 0 and dy < 0:
            return 0.0
        if dx < 0:
            return prof(dy, 8)
        if dy < 0:
            return prof(dx, 6)
        e = math.hypot((dx + 0.5) / 6.0, (dy + 0.5) / 8.0)
        if e >= 1:
            return 0.0
        return SH_MAX * (1 - e) ** 1.6
    d = Doc("s3", 11, 13)
    shadow_pixels(d, corner)
    d.save()


# --------------------------------------------------------------------------
# speech bubble and search icon

def bubble():
    d = Doc("hagaclicaqui", 170, 77)
    # the corners and the space beside the tail stay transparent: the
    # editor behind the bubble shows through them
    r = 7
    shape = ("M%s,0.5H%sA%s,%s 0 0 1 169.5,%sV%sA%s,%s 0 0 1 %s,66.5H42.5L30.3,76.2L26,66.5H%s"
             "A%s,%s 0 0 1 0.5,%sV%sA%s,%s 0 0 1 %s,0.5Z"
             % (n(0.5 + r), n(169.5 - r), r, r, n(0.5 + r), n(66.5 - r), r, r, n(169.5 - r),
                n(0.5 + r), r, r, n(66.5 - r), n(0.5 + r), r, r, n(0.5 + r)))
    d.path(shape, fill=d.lin(0, 0, 0, 77, [(0, "#FFFFE8"), (0.6, "#FFFFE1"), (1, "#FFF5C4")]),
           stroke="#4A4A3F", sw=1, join="round")
    d.path("M%s,1.5H%s" % (n(0.5 + r), n(169.5 - r)), stroke="#FFFFFF", sw=1, sop=0.9)
    # pointing hand-ish arrow mark on the left: a small round badge with an arrow
    d.circle(22, 33.5, 13, d.lin(0, 20, 0, 47, [(0, "#6FA3D8"), (1, "#2F5D8C")]), stroke="#1B3557", sw=1)
    d.path("M22,26V39M16.5,33.8L22,39.5L27.5,33.8", stroke="#FFFFFF", sw=2.6, cap="round", join="round")
    # text
    fb, fr = font("bold"), font("book")
    t1, t2 = "\u00a1Haga clic aqu\u00ed", "para empezar!"
    s1, s2 = 14, 12.5
    cx = 41 + (166 - 41) / 2.0
    w1 = fb.width(t1, s1)
    w2 = fr.width(t2, s2)
    d.path(fb.path(t1, cx - w1 / 2.0, 30, s1), fill="#1B3557")
    d.path(fr.path(t2, cx - w2 / 2.0, 49, s2), fill="#3B4F68")
    d.save()


def buscar():
    d = Doc("buscar", 16, 16)
    d.path("M10,10L14.3,14.3", stroke="#1B2F4A", sw=3.6, cap="round")
    d.path("M10.2,10.2L14.2,14.2", stroke="#8A5A2B", sw=2, cap="round")
    d.circle(6.5, 6.5, 4.6, d.rad(5.5, 5.2, 5.5, [(0, "#FFFFFF"), (0.6, "#D8ECFB"), (1, "#9CC8EE")]),
             stroke="#1F3F66", sw=1.8)
    d.path("M4,6.3A2.6,2.6 0 0 1 6.3,4", stroke="#FFFFFF", sw=1.1, cap="round")
    d.save()


# --------------------------------------------------------------------------

def write_qrc():
    names = sorted(WRITTEN)
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/">']
    lines += ['    <file>img/%s.svg</file>' % nm for nm in names]
    lines += ['</qresource>', '</RCC>', '']
    with open(os.path.join(OUT_DIR, "resources.qrc"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def main():
    os.makedirs(IMG_DIR, exist_ok=True)
    img11(); img12(); img13(); img21(); img23(); img31(); img32(); img33()
    shadows()
    win_button("mini1", "mini", False)
    win_button("mini2", "mini", True)
    win_button("cerr1", "cerr", False)
    win_button("cerr2", "cerr", True)
    for key in ("Lista", "Datos", "Cumples", "Avisal", "Config"):
        for state in ("normal", "hover", "pressed", "disabled"):
            view_button(key, state, 40 if key == "Config" else 39)
    bubble()
    buscar()
    write_qrc()
    print("wrote %d pictures" % len(WRITTEN))


if __name__ == "__main__":
    sys.exit(main())
