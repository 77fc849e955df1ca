"""The clock's panel pictures: the built-in skin and the skins of the skin folder.

Every skin is the same 220 x 100 panel drawn in another colour scheme, so all of
them share one outline: a rounded panel on a white surround, with a framed box
at its right end that holds the alarm time (and the stopwatch seconds). The
window is cut to the built-in picture's non-white pixels, so the outline is drawn
with hard edges: a pixel is either exactly white or fully opaque.
"""

from raster import Canvas, hex_colour, intersect, mix, rounded_rect, circle

WIDTH, HEIGHT = 220, 100
WHITE = (255, 255, 255)

# Panel outline: pixels 5..214 by 5..94.
PANEL = (5, 5, 215, 95)
PANEL_RADIUS = 14
# Framed box around the alarm title and time: pixels 156..210 by 38..79.
BOX = (156, 38, 211, 80)
BOX_RADIUS = 5


class Scheme:
    def __init__(self, edge, line, top, bottom, gloss, box_frame, box_top, box_bottom):
        self.edge = hex_colour(edge)  # outermost pixel ring
        self.line = hex_colour(line)  # the bright border line inside it
        self.top = hex_colour(top)  # panel gradient, top row
        self.bottom = hex_colour(bottom)  # panel gradient, bottom row
        self.gloss = hex_colour(gloss)  # light cast over the upper part
        self.box_frame = hex_colour(box_frame)
        self.box_top = hex_colour(box_top)
        self.box_bottom = hex_colour(box_bottom)


SCHEMES = {
    # built-in picture: dark blue with a magenta border
    "builtin": Scheme("6e1068", "e83ad2", "22337f", "0a1342", "6f86e0", "d436c4", "0b143f", "101d58"),
    # default skin: black with pink accents
    "horlnoirrose": Scheme("7a2450", "ff6eb4", "2a2a2e", "050506", "8c8c96", "ff6eb4", "0a0a0c", "1a1418"),
    # midnight blue with ice-blue lines
    "bleunuit": Scheme("173c66", "6cc4ff", "16264f", "04091a", "5d7fc8", "6cc4ff", "050c22", "0d1a3c"),
    # forest green with gold lines
    "vertforet": Scheme("5e4a14", "e2c15c", "1f4d2e", "06170c", "6fa27c", "e2c15c", "061a0c", "123522"),
    # graphite and silver
    "argent": Scheme("70757e", "dfe3ea", "5b616c", "24272d", "b8bec8", "cfd4dc", "2a2e35", "3d424b"),
}


def _vertical(top, bottom, y0, y1, steps=None):
    """A vertical gradient as a colour function; steps bands it (fewer colours)."""

    def colour(x, y):
        t = (y + 0.5 - y0) / (y1 - y0)
        t = min(max(t, 0.0), 1.0)
        if steps:
            t = round(t * steps) / steps
        return mix(top, bottom, t)

    return colour


def render(scheme, steps=None):
    """The panel in the given scheme, as RGB rows. steps limits the gradients to
    that many bands so the picture fits a 256-colour palette."""
    c = Canvas(WIDTH, HEIGHT, WHITE + (1.0,))
    x0, y0, x1, y1 = PANEL
    outer = rounded_rect(x0, y0, x1, y1, PANEL_RADIUS)
    line = rounded_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, PANEL_RADIUS - 1)
    inner = rounded_rect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, PANEL_RADIUS - 2)

    # The outline is hard-edged: any pixel whose centre lies inside is opaque.
    c.paint(outer, scheme.edge, hard=True)
    c.paint(line, scheme.line)
    c.paint(inner, _vertical(scheme.top, scheme.bottom, y0 + 2, y1 - 2, steps))
    # A broad, faint curved sheen over the upper part of the panel.
    sheen = intersect(inner, circle(110, -150, 188))
    c.paint(sheen, scheme.gloss, opacity=0.16)

    bx0, by0, bx1, by1 = BOX
    frame = rounded_rect(bx0, by0, bx1, by1, BOX_RADIUS)
    well = rounded_rect(bx0 + 1, by0 + 1, bx1 - 1, by1 - 1, BOX_RADIUS - 1)
    # a one-pixel shadow above the frame and a glint under it make the box look set in
    c.paint(rounded_rect(bx0, by0 - 1, bx1, by1 - 1, BOX_RADIUS), mix(scheme.bottom, (0, 0, 0), 0.5), opacity=0.7)
    c.paint(rounded_rect(bx0, by0 + 1, bx1, by1 + 1, BOX_RADIUS), scheme.gloss, opacity=0.45)
    c.paint(frame, scheme.box_frame)
    c.paint(well, _vertical(scheme.box_top, scheme.box_bottom, by0 + 1, by1 - 1, steps))

    rows = c.rgb_rows()
    # Enforce the contract the window shape relies on: exactly white outside the
    # outline, never exactly white inside it.
    for y, row in enumerate(rows):
        for x, p in enumerate(row):
            if outer(x + 0.5, y + 0.5) > 0:
                row[x] = WHITE
            elif p == WHITE:
                row[x] = (254, 254, 254)
    return rows


def opaque(x, y):
    """Whether pixel (x, y) belongs to the panel outline shared by every skin."""
    x0, y0, x1, y1 = PANEL
    return rounded_rect(x0, y0, x1, y1, PANEL_RADIUS)(x + 0.5, y + 0.5) <= 0
