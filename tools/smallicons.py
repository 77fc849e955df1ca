"""The two small pictures of the alarm view: a folder with a magnifying glass
(choose a sound file, 15 x 15) and a loudspeaker (play the sound, 22 x 19).

Both lie on a white background that the program leaves out when drawing them
(the colour of the bottom-left pixel), so every pixel of the drawing is hard-edged
and none is exactly white: a pale edge pixel would show as a speck on the dark
panel.
"""

import math

from raster import Canvas, capsule, circle, intersect, polygon, rounded_rect, subtract

WHITE = (255, 255, 255)

FOLDER_COLOURS = {
    ".": WHITE,
    "o": (138, 98, 8),  # folder outline
    "l": (255, 228, 128),  # tab and top edge light
    "y": (255, 202, 48),  # folder
    "d": (224, 160, 24),  # shaded bottom
    "r": (44, 48, 60),  # rim of the magnifying glass
    "g": (150, 200, 246),  # glass
    "w": (226, 242, 255),  # glint on the glass
    "h": (96, 54, 22),  # handle
}

FOLDER = [
    "...............",
    ".oooo..........",
    "ollllo.........",
    "ollllloooooo...",
    "olyyyyyyyyyyo..",
    "oyyyyyyyrrryo..",
    "oyyyyyyrwggro..",
    "oyyyyyyrgggro..",
    "oyyyyyyrgggro..",
    "oyyyyyyyrrrho..",
    "oyyyyyyyyyyhh..",
    "oddddddddddohh.",
    "ooooooooooooohh",
    "..............h",
    "...............",
]


def folder_with_magnifier():
    return [[FOLDER_COLOURS[ch] for ch in line] for line in FOLDER]


SPEAKER_OUTLINE = (40, 44, 56)
SPEAKER_BODY = (150, 158, 176)
SPEAKER_CONE = (206, 212, 224)
WAVES = (120, 196, 255)


def loudspeaker():
    c = Canvas(22, 19, WHITE + (1.0,))
    body = rounded_rect(1, 6, 7, 13, 1)
    cone = polygon([(6, 6), (12, 1), (12, 18), (6, 13)])
    outline = lambda x, y: min(body(x, y), cone(x, y))
    c.paint(outline, SPEAKER_OUTLINE, hard=True)
    c.paint(lambda x, y: body(x, y) + 1, SPEAKER_BODY, hard=True)
    c.paint(lambda x, y: cone(x, y) + 1, SPEAKER_CONE, hard=True)
    # three sound waves: arcs around the cone's mouth, 50 degrees either side
    cx, cy = 12, 9.5
    wedge = lambda x, y: abs(math.atan2(y - cy, x - cx)) - math.radians(50)
    scale = lambda d: d * 4  # make the angle test decisive at pixel scale
    for radius in (3.5, 6.3, 9.1):
        arc = intersect(
            subtract(circle(cx, cy, radius + 0.8), circle(cx, cy, radius - 0.8)),
            lambda x, y: scale(wedge(x, y)),
        )
        c.paint(arc, WAVES, hard=True)
    return c.rgb_rows()
