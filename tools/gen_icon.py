#!/usr/bin/python3
"""Draws the program's icon for the desktop: data/icons/bindelora.svg.

The same palette, logo lettering and little calendar as the window skin
(tools/gen_skin.py, whose helpers it uses), on a rounded tile.  The PNG
sizes are rendered from this SVG at build time.

Requires what gen_skin.py requires (python3-fonttools, fonts-urw-base35).
Run:  /usr/bin/python3 tools/gen_icon.py
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_skin as s  # noqa: E402
from gen_skin import n, rrect  # noqa: E402

OUT = os.path.join(s.ROOT, "data", "icons", "bindelora.svg")
SIZE = 128


class IconDoc(s.Doc):
    def save_to(self, path):
        head = ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
                'width="%d" height="%d" viewBox="0 0 %d %d">\n' % (self.w, self.h, self.w, self.h))
        body = "<defs>\n" + "\n".join(self.defs) + "\n</defs>\n" if self.defs else ""
        body += "\n".join(self.items) + "\n"
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8") as f:
            f.write(head + body + "</svg>\n")


def calendar(d, x, y, w, h):
    """The skin's little calendar page, grown: white sheet, red header, rings."""
    r = w * 0.12
    d.path(rrect(x + 2, y + 3, w, h, r), fill="#000000", op=0.28)
    d.path(rrect(x, y, w, h, r), fill="#F4F8FC", stroke="#0B1D36", sw=2.5)
    hh = h * 0.30
    d.path("M%s,%sV%sA%s,%s 0 0 1 %s,%sH%sA%s,%s 0 0 1 %s,%sV%sZ"
           % (n(x), n(y + hh), n(y + r), n(r), n(r), n(x + r), n(y), n(x + w - r), n(r), n(r),
              n(x + w), n(y + r), n(y + hh)),
           fill="#E5533D", stroke="#0B1D36", sw=2.5)
    for rx in (x + w * 0.28, x + w * 0.72):
        d.path("M%s,%sV%s" % (n(rx), n(y - 5), n(y + 6)), stroke="#0B1D36", sw=5, cap="round")
        d.path("M%s,%sV%s" % (n(rx), n(y - 5), n(y + 6)), stroke="#F4F8FC", sw=2.4, cap="round")
    cw, ch = w * 0.17, h * 0.13
    gx = (w - 3 * cw) / 4.0
    top = y + hh + (h - hh - 3 * ch) / 4.0
    gy = (h - hh - 3 * ch) / 4.0
    for row in range(3):
        for col in range(3):
            colour = "#E5533D" if (row, col) == (2, 2) else "#7D93AE"
            d.rect(x + gx + col * (cw + gx), top + row * (ch + gy), cw, ch, colour, rx=1.5)


def main():
    d = IconDoc("bindelora", SIZE, SIZE)
    # the tile: the top bar's gradient and gloss, framed like the window
    tile = rrect(6, 6, 116, 116, 20)
    d.path(rrect(7, 9, 116, 116, 20), fill="#000000", op=0.25)
    d.path(tile, fill=d.lin(0, 6, 0, 122, [(0, s.TOP_1), (0.45, s.TOP_2), (1, s.BAR)]))
    d.path(rrect(6, 6, 116, 58, 20), fill=d.lin(0, 6, 0, 64, [(0, "#FFFFFF", 0.16), (1, "#FFFFFF", 0)]))
    d.path(rrect(8.5, 8.5, 111, 111, 18), stroke=s.HILITE, sw=1.5, sop=0.8)
    d.path(tile, stroke=s.OUTLINE, sw=3)

    calendar(d, 66, 46, 44, 46)

    # the logo's capital, shadow and light gradient as on the window
    f = s.font("logo")
    size = 92
    w = f.width("B", size)
    x = 10 + (64 - w) / 2.0
    base = 96
    d.path(f.path("B", x + 2.5, base + 3.5, size), fill="#081830", op=0.55)
    d.path(f.path("B", x, base, size),
           fill=d.lin(0, base - 66, 0, base, [(0, "#FFFFFF"), (1, "#D5E6F7")]))
    # the gold swash under it
    sw = "M%s,%sC%s,%s %s,%s %s,%s" % (n(16), n(base + 12), n(40), n(base + 5),
                                        n(70), n(base + 6), n(108), n(base + 9))
    d.path(sw, stroke="#081830", sw=5, sop=0.4, cap="round")
    sw2 = "M%s,%sC%s,%s %s,%s %s,%s" % (n(16), n(base + 10), n(40), n(base + 3),
                                         n(70), n(base + 4), n(108), n(base + 7))
    d.path(sw2, stroke="#F5C542", sw=5, cap="round")
    d.save_to(OUT)
    print(OUT)


if __name__ == "__main__":
    sys.exit(main())
