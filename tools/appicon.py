"""The application icon: a round clock face in the colours of the built-in skin
(dark blue face, magenta rim, white hands at ten past ten).

Each size is drawn from the shapes at that size, with the details scaled to
stay readable: twelve hour marks from 32 pixels up, four below, and the second
hand only from 48 pixels. The 16 x 16 picture is drawn pixel by pixel in the 16
standard colours, both for the 4-bit image of the ICO file and for the small PNG.
"""

import math

from raster import Canvas, capsule, circle, hex_colour, mix, ring

FACE_TOP = hex_colour("2a3f9c")
FACE_BOTTOM = hex_colour("0a1342")
RIM_LIGHT = hex_colour("ff5ae0")
RIM_DARK = hex_colour("a0127e")
HANDS = hex_colour("ffffff")
MARKS = hex_colour("dfe6ff")
SECONDS = hex_colour("ff5ae0")
SHADOW = (0, 0, 0)


def _hand_end(cx, cy, length, clock_minutes):
    """End of a hand pointing at the given minute mark (0 = twelve o'clock)."""
    angle = math.radians(clock_minutes * 6)
    return cx + length * math.sin(angle), cy - length * math.cos(angle)


def render(size):
    """The icon at size x size, as RGBA rows (anti-aliased, transparent outside)."""
    s = float(size)
    c = Canvas(size, size, (0, 0, 0, 0.0))
    cx = cy = s / 2
    radius = s / 2 - max(0.5, s / 48)
    rim_width = max(1.5, s * 0.07)

    # a soft drop shadow under the disc
    if size >= 32:
        c.paint(circle(cx, cy + s * 0.02, radius), SHADOW, opacity=0.35)
    # rim: light at the top, darker at the bottom
    c.paint(
        circle(cx, cy, radius),
        lambda x, y: mix(RIM_LIGHT, RIM_DARK, (y + 0.5) / s),
    )
    face_radius = radius - rim_width
    c.paint(
        circle(cx, cy, face_radius),
        lambda x, y: mix(FACE_TOP, FACE_BOTTOM, (y + 0.5 - (cy - face_radius)) / (2 * face_radius)),
    )
    # faint sheen on the upper half of the face
    c.paint(
        lambda x, y: max(circle(cx, cy, face_radius)(x, y), circle(cx, cy - face_radius * 0.9, face_radius * 1.05)(x, y)),
        (150, 170, 255),
        opacity=0.14,
    )

    # hour marks
    marks = 12 if size >= 32 else 4
    outer = face_radius - max(1.0, s * 0.06)
    for i in range(marks):
        quarter = (i * 12 // marks) % 3 == 0
        length = s * (0.11 if quarter else 0.06)
        if size < 32:
            # two whole pixels wide, so the marks stay sharp on the pixel grid
            width = 1.0
        else:
            width = s * (0.026 if quarter else 0.016)
        ax, ay = _hand_end(cx, cy, outer, i * 60 / marks)
        bx, by = _hand_end(cx, cy, outer - length, i * 60 / marks)
        c.paint(capsule(ax, ay, bx, by, width), MARKS)

    # hands at ten past ten
    hour_w = 1.0 if size < 32 else s * 0.045
    minute_w = 1.0 if size < 32 else s * 0.035
    hx, hy = _hand_end(cx, cy, face_radius * 0.52, 50 + 10 / 12)
    mx, my = _hand_end(cx, cy, face_radius * 0.78, 10)
    if size >= 32:
        off = s * 0.015
        c.paint(capsule(cx + off, cy + off, hx + off, hy + off, hour_w), SHADOW, opacity=0.4)
        c.paint(capsule(cx + off, cy + off, mx + off, my + off, minute_w), SHADOW, opacity=0.4)
    c.paint(capsule(cx, cy, hx, hy, hour_w), HANDS)
    c.paint(capsule(cx, cy, mx, my, minute_w), HANDS)
    if size >= 48:
        sx, sy = _hand_end(cx, cy, face_radius * 0.84, 37.5)
        tx, ty = _hand_end(cx, cy, face_radius * 0.2, 7.5)
        c.paint(capsule(tx, ty, sx, sy, max(0.5, s * 0.012)), SECONDS)
    c.paint(circle(cx, cy, max(1.0, s * 0.05)), SECONDS)
    c.paint(circle(cx, cy, max(0.5, s * 0.022)), HANDS)
    return c.rgba_rows()


# ---- 16 x 16, pixel by pixel -----------------------------------------------------

# The 16 standard colours, in their usual order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
SMALL_KEY = {
    " ": None,  # see-through
    "P": 13,  # magenta rim, upper half
    "p": 5,  # dark magenta rim, lower half
    "N": 4,  # navy face
    "W": 15,  # hands and hour marks
    "M": 13,  # hub
}

SMALL = [
    "     PPPPPP     ",
    "   PPNNNNNNPP   ",
    "  PNNNNWWNNNNP  ",
    " PNNNNNNNNNNNNP ",
    " PNNNNNNNNNNNNP ",
    "PNNNWNNNNNNWWNNP",
    "PNNNNWWNNWWNNNNP",
    "PNWNNNNMMNNNNWNP",
    "PNWNNNNMMNNNNWNP",
    "PNNNNNNNNNNNNNNP",
    "pNNNNNNNNNNNNNNp",
    " pNNNNNNNNNNNNp ",
    " pNNNNNNNNNNNNp ",
    "  pNNNNWWNNNNp  ",
    "   ppNNNNNNpp   ",
    "     pppppp     ",
]


def small_indices():
    """The 16 x 16 picture as VGA palette indices, with -1 for see-through."""
    out = []
    for line in SMALL:
        if len(line) != 16:
            raise ValueError("16 x 16 icon row of wrong length")
        out.append([-1 if SMALL_KEY[ch] is None else SMALL_KEY[ch] for ch in line])
    return out


def small_rgba():
    """The same 16 x 16 drawing in the full colours of the larger sizes, for the
    desktop's PNG."""
    out = []
    for y, line in enumerate(SMALL):
        face = mix(FACE_TOP, FACE_BOTTOM, max(0.0, (y - 1) / 13))
        colours = {
            " ": (0, 0, 0, 0),
            "P": RIM_LIGHT + (255,),
            "p": RIM_DARK + (255,),
            "N": tuple(int(round(v)) for v in face) + (255,),
            "W": HANDS + (255,),
            "M": SECONDS + (255,),
        }
        out.append([colours[ch] for ch in line])
    return out
