#!/usr/bin/python3
"""Generates the pictures of the three secondary windows: the today's events
window (sh_*), the about window (ab_*) and the settings dialog (cf_*, and the
JPEG strip borde.jpg), into src/ui/resources/ventanas/, and their resource
file src/ui/resources/ventanas.qrc.

The outlines of the two shaped windows follow their window regions: the
title tab, the small island of the close picture and the rounded corners.
Uses the drawing helpers and the palette of gen_skin.py (same needs:
python3-fonttools, fonts-dejavu-core, fonts-urw-base35) and cjpeg
(libjpeg-turbo-progs) for the strip.
Run:  /usr/bin/python3 tools/gen_ventanas.py
"""

import math
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_skin as g  # noqa: E402

OUT_DIR = os.path.join(g.ROOT, "src", "ui", "resources")
DIR = os.path.join(OUT_DIR, "ventanas")
g.IMG_DIR = DIR

BODY = "#EEEEFF"        # the lists' own colour, around them
BODY_EDGE = g.EDGE
FILES = []


def saved(d):
    d.save()
    FILES.append(d.name + ".svg")


# --------------------------------------------------------------------------
# shared pieces of the two shaped windows

def title_tab(name, w, text):
    """A tab w+2 wide: rounded upper corners, 0..w-2 wide, flaring out at the
    bottom two rows, as the window region cuts it."""
    d = g.Doc(name, w, 30)
    r = 5
    x1 = w - 2
    path = ("M0,30 V%s Q0,0 %s,0 H%s Q%s,0 %s,%s V28 Q%s,30 %s,30 Z"
            % (r, r, x1 - r, x1, x1, r, x1, w))
    d.path(path, fill=d.lin(0, 0, 0, 30, [(0, g.TOP_1), (1, g.TOP_2)]))
    d.path("M0.5,30 V%s Q0.5,0.5 %s,0.5 H%s Q%s,0.5 %s,%s V28"
           % (r, r, x1 - r, x1 - 0.5, x1 - 0.5, r), stroke=g.OUTLINE, sw=1)
    d.path("M1.5,30 V%s Q1.5,1.5 %s,1.5 H%s" % (r, r + 0.5, x1 - r), stroke=g.HILITE, sw=1)
    f = g.font("caption")
    size = 12
    tw = f.width(text, size)
    x = (x1 - tw) / 2.0
    d.path(f.path(text, x + 1, 21, size), fill="#081830", op=0.5)
    d.path(f.path(text, x, 20, size), fill="#FFFFFF")
    saved(d)


def close_island(name):
    """26 x 17 at (279, 13): the small rounded island of the close picture."""
    d = g.Doc(name, 26, 17)
    path = "M0,17 Q2,16 2,12 V7 Q2,0 9,0 H19 Q26,0 26,7 V17 Z"
    d.path(path, fill=d.lin(0, 0, 0, 17, [(0, g.TOP_1), (1, g.TOP_2)]))
    d.path("M0.5,17 Q2.5,16 2.5,12 V7 Q2.5,0.5 9,0.5 H19 Q25.5,0.5 25.5,7 V17", stroke=g.OUTLINE, sw=1)
    d.path(g.rrect(8, 3, 12, 11, 2.5), fill=d.lin(0, 3, 0, 14, [(0, "#F08A72"), (1, "#C0392B")]),
           stroke="#3E0C08", sw=1)
    d.path("M11,6 L17,11 M17,6 L11,11", stroke="#FFFFFF", sw=1.6, cap="round")
    saved(d)


def band(name, h):
    """The band under the tab, across the window."""
    d = g.Doc(name, 305, h)
    d.rect(0, 0, 305, h, d.lin(0, 0, 0, h, [(0, g.TOP_2), (1, g.BAR)]))
    d.rect(0, 0, 305, 1, g.HILITE)
    d.rect(0, 0, 1, h, g.OUTLINE)
    d.rect(304, 0, 1, h, g.OUTLINE)
    # the body's well, where the list sits
    d.path("M8,%s V%s Q8,9 11,9 H294 Q297,9 297,%s V%s Z" % (h, 12, 12, h), fill=BODY_EDGE)
    d.path("M9,%s V%s Q9,10 11.5,10 H293.5 Q296,10 296,%s V%s Z" % (h, 12, 12, h), fill=BODY)
    saved(d)


def body(name):
    """Stretched down the window: the sides of the frame and of the well."""
    d = g.Doc(name, 305, 8)
    d.rect(0, 0, 305, 8, g.BAR)
    d.rect(0, 0, 1, 8, g.OUTLINE)
    d.rect(304, 0, 1, 8, g.OUTLINE)
    d.rect(8, 0, 289, 8, BODY_EDGE)
    d.rect(9, 0, 287, 8, BODY)
    saved(d)


def bottom(name, h, well_rows, corner_at):
    """The bottom band: the end of the well, then rounded lower corners."""
    d = g.Doc(name, 305, h)
    r = 5
    d.path("M0,0 H305 V%s Q305,%s %s,%s H%s Q0,%s 0,%s Z"
           % (corner_at - r, corner_at, 305 - r, corner_at, r, corner_at, corner_at - r),
           fill=d.lin(0, 0, 0, h, [(0, g.BAR), (1, g.TOP_2)]))
    d.path("M0.5,0 V%s Q0.5,%s %s,%s H%s Q304.5,%s 304.5,%s V0"
           % (corner_at - r, corner_at - 0.5, r, corner_at - 0.5, 305 - r, corner_at - 0.5, corner_at - r),
           stroke=g.OUTLINE, sw=1)
    if well_rows > 0:
        d.path("M8,0 V%s Q8,%s 11,%s H294 Q297,%s 297,%s V0 Z"
               % (well_rows - 3, well_rows, well_rows, well_rows, well_rows - 3), fill=BODY_EDGE)
        d.path("M9,0 V%s Q9,%s 11.5,%s H293.5 Q296,%s 296,%s V0 Z"
               % (well_rows - 3.5, well_rows - 1, well_rows - 1, well_rows - 1, well_rows - 3.5), fill=BODY)
    saved(d)


def about_bottom(name):
    """23 high at the window's bottom (rows 209 to 231): the body ends with
    rounded corners at row 211 and a footer bar runs along the bottom."""
    d = g.Doc(name, 305, 23)
    d.rect(0, 0, 305, 23, "none")
    d.path("M0,0 H305 V0 Q305,3 301,3 H4 Q0,3 0,0 Z", fill=g.BAR)
    d.rect(0, 3, 305, 20, d.lin(0, 3, 0, 23, [(0, g.TOP_1), (1, g.TOP_2)]))
    d.rect(0, 3, 305, 1, g.HILITE)
    d.rect(0, 22, 305, 1, g.OUTLINE)
    d.rect(0, 3, 1, 20, g.OUTLINE)
    d.rect(304, 3, 1, 20, g.OUTLINE)
    d.rect(8, 0, 289, 1, BODY_EDGE)
    f = g.font("book")
    t = "Quenturo"
    d.path(f.path(t, 305 - 10 - f.width(t, 9), 17, 9), fill="#DDE8F5")
    saved(d)


# --------------------------------------------------------------------------
# settings dialog

def bullet(name):
    d = g.Doc(name, 10, 10)
    d.circle(5, 5, 4, d.rad(4, 4, 5, [(0, "#F9D77E"), (1, "#D08A10")]), stroke="#5A3A05", sw=1)
    saved(d)


def icon(name, size, draw):
    d = g.Doc(name, size, size)
    draw(d)
    saved(d)


def aceptar(d):
    d.path("M3,8.5 L6.5,12 L13,4", stroke="#1B7A1B", sw=2.4, cap="round", join="round")


def cancelar(d):
    d.path("M4,4 L12,12 M12,4 L4,12", stroke="#B52A1C", sw=2.4, cap="round")


def carpeta(d):
    d.path("M2,6 V16 H18 V7 H9 L7.5,5 H3 Z", fill="#F5C542", stroke="#7A5A0A", sw=1, join="round")
    d.path("M2,16 L4.5,9 H19.5 L17,16 Z", fill="#FBDD7A", stroke="#7A5A0A", sw=1, join="round")


def play(d):
    d.circle(10, 10, 8.5, d.lin(0, 0, 0, 20, [(0, "#79A6D4"), (1, "#2B5584")]), stroke="#0B1D36", sw=1)
    d.path("M8,6 L14.5,10 L8,14 Z", fill="#FFFFFF")


def flecha_atras(d, x, y):
    """A round arrow turning back, at (x, y)."""
    d.path("M%s,%s A7,7 0 1 0 %s,%s" % (x + 7, y + 2, x + 1, y + 6), stroke="#B52A1C", sw=2.2, cap="round")
    d.path("M%s,%s L%s,%s L%s,%s Z" % (x - 2, y + 2, x + 4, y + 3, x, y + 8), fill="#B52A1C")


def rec_agenda(name):
    d = g.Doc(name, 48, 32)
    d.path(g.rrect(4, 3, 22, 26, 2), fill="#2B5584", stroke="#0B1D36", sw=1)
    d.rect(7, 5, 17, 22, "#F4F8FC")
    for yy in (9, 13, 17, 21):
        d.rect(9, yy, 13, 1.2, "#7D93AE")
    for yy in (7, 12, 17, 22):
        d.rect(3, yy, 3, 2, "#C9D3DF")
    flecha_atras(d, 32, 10)
    saved(d)


def rec_avisal(name):
    d = g.Doc(name, 48, 32)
    d.path(g.rrect(3.5, 5.5, 24, 23, 2), fill="#F4F8FC", stroke="#0B1D36", sw=1)
    d.path("M3.5,12 V7.5 Q3.5,5.5 5.5,5.5 H25.5 Q27.5,5.5 27.5,7.5 V12 Z", fill="#E5533D", stroke="#0B1D36", sw=1)
    d.path("M9,3 V8 M22,3 V8", stroke="#0B1D36", sw=1.6, cap="round")
    for yy in (15, 19, 23):
        for xx in (7, 12, 17, 22):
            d.rect(xx, yy, 2.5, 2, "#7D93AE")
    flecha_atras(d, 33, 10)
    saved(d)


def strip_jpeg():
    """The 70 x 277 strip on the left of the settings dialog, as a JPEG."""
    w, h = 70, 277
    top, bot = g.hex2rgb("#5686B8"), g.hex2rgb("#15365E")
    px = bytearray()
    rings = [(35, 60, 22), (12, 150, 30), (58, 215, 26)]
    for y in range(h):
        t = y / (h - 1)
        base = [top[i] + (bot[i] - top[i]) * t for i in range(3)]
        for x in range(w):
            c = list(base)
            # soft rings, like ripples of a bell
            for cx, cy, r in rings:
                dist = math.hypot(x - cx, y - cy)
                for k in (0, 8, 16):
                    a = max(0.0, 1.0 - abs(dist - (r - k)) / 1.6) * (0.22 - k * 0.008)
                    c = [c[i] + (255 - c[i]) * a for i in range(3)]
            # light edge on the right, where the strip meets the dialog
            if x >= w - 2:
                c = [c[i] + (255 - c[i]) * (0.35 if x == w - 2 else 0.15) for i in range(3)]
            px += bytes(max(0, min(255, int(round(v)))) for v in c)
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as f:
        f.write(b"P6\n%d %d\n255\n" % (w, h) + bytes(px))
        ppm = f.name
    try:
        out = os.path.join(DIR, "borde.jpg")
        subprocess.run(["cjpeg", "-quality", "88", "-optimize", "-outfile", out, ppm], check=True)
    finally:
        os.unlink(ppm)
    FILES.append("borde.jpg")


def write_qrc():
    lines = ['<!DOCTYPE RCC>', '<RCC version="1.0">', '<qresource prefix="/">']
    lines += ['    <file>ventanas/%s</file>' % nm for nm in sorted(FILES)]
    lines += ['</qresource>', '</RCC>', '']
    with open(os.path.join(OUT_DIR, "ventanas.qrc"), "w", encoding="utf-8") as f:
        f.write("\n".join(lines))


def main():
    os.makedirs(DIR, exist_ok=True)
    # today's events: 305 x 166
    title_tab("sh_img1", 172, "Sucesos para hoy")
    band("sh_img2", 24)
    body("sh_img3")
    bottom("sh_img4", 20, 9, 20)
    # about: 305 x 232
    title_tab("ab_img1", 78, "About")
    band("ab_img2", 24)
    body("ab_img3")
    about_bottom("ab_img4")
    close_island("cerrar")
    # settings dialog
    bullet("cf_dat")
    icon("cf_aceptar", 16, aceptar)
    icon("cf_cancelar", 16, cancelar)
    icon("cf_cargar", 20, carpeta)
    icon("cf_play", 20, play)
    rec_agenda("cf_recagenda")
    rec_avisal("cf_recavisal")
    strip_jpeg()
    write_qrc()
    print("wrote %d pictures" % len(FILES))


if __name__ == "__main__":
    sys.exit(main())
