"""A small deterministic rasteriser for the generated pictures.

Shapes are signed distance functions in pixel units (negative inside). A pixel is
sampled at its centre; painting either blends by the covered fraction (smooth
edges) or sets the pixel when its centre is inside (hard edges, for outlines that
must not fade towards the transparent colour).
"""

import math


def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def mix(a, b, t):
    """Linear blend of two colours (tuples of equal length), t = 0 gives a."""
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def hex_colour(text):
    text = text.lstrip("#")
    return tuple(int(text[i : i + 2], 16) for i in (0, 2, 4))


# ---- signed distance functions -------------------------------------------------


def rounded_rect(x0, y0, x1, y1, radius):
    """Rectangle spanning [x0, x1] x [y0, y1] (continuous coordinates, so pixel i
    covers [i, i+1]) with corners rounded to radius."""
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - radius, (y1 - y0) / 2 - radius

    def sdf(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius

    return sdf


def circle(cx, cy, radius):
    return lambda x, y: math.hypot(x - cx, y - cy) - radius


def capsule(ax, ay, bx, by, radius):
    """A segment from a to b, thickened to radius, with round ends."""
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def sdf(x, y):
        px, py = x - ax, y - ay
        t = clamp((px * dx + py * dy) / length2) if length2 else 0.0
        return math.hypot(px - dx * t, py - dy * t) - radius

    return sdf


def polygon(points):
    """A convex polygon given clockwise or anticlockwise; exact inside and near
    the edges, which is all the edge smoothing needs."""
    n = len(points)
    area = sum(
        points[i][0] * points[(i + 1) % n][1] - points[(i + 1) % n][0] * points[i][1]
        for i in range(n)
    )
    sign = 1.0 if area > 0 else -1.0
    edges = []
    for i in range(n):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % n]
        length = math.hypot(bx - ax, by - ay)
        # outward normal
        nx, ny = sign * (by - ay) / length, -sign * (bx - ax) / length
        edges.append((ax, ay, nx, ny))

    def sdf(x, y):
        return max((x - ax) * nx + (y - ay) * ny for ax, ay, nx, ny in edges)

    return sdf


def ring(outer, inner):
    return lambda x, y: max(outer(x, y), -inner(x, y))


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, cut):
    return lambda x, y: max(shape(x, y), -cut(x, y))


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


# ---- canvas ----------------------------------------------------------------------


class Canvas:
    """RGBA pixels as floats (straight alpha, 0..255 colour, 0..1 alpha)."""

    def __init__(self, width, height, background=(255, 255, 255, 1.0)):
        self.width = width
        self.height = height
        self.px = [[list(background) for _ in range(width)] for _ in range(height)]

    def paint(self, shape, colour, hard=False, opacity=1.0, box=None):
        """Paint colour (an RGB tuple or a function (x, y) -> RGB) where shape is.
        box = (x0, y0, x1, y1) limits the pixels examined."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        for y in range(y0, y1):
            row = self.px[y]
            for x in range(x0, x1):
                d = shape(x + 0.5, y + 0.5)
                if hard:
                    cover = 1.0 if d <= 0 else 0.0
                else:
                    cover = clamp(0.5 - d)
                if cover <= 0.0:
                    continue
                c = colour(x, y) if callable(colour) else colour
                a = cover * opacity
                p = row[x]
                out_a = a + p[3] * (1 - a)
                if out_a <= 0:
                    continue
                for k in range(3):
                    p[k] = (c[k] * a + p[k] * p[3] * (1 - a)) / out_a
                p[3] = out_a

    def rgb_rows(self):
        return [[tuple(int(round(clamp(v, 0, 255))) for v in p[:3]) for p in row] for row in self.px]

    def rgba_rows(self):
        out = []
        for row in self.px:
            line = []
            for p in row:
                a = int(round(clamp(p[3]) * 255))
                if a == 0:
                    line.append((0, 0, 0, 0))
                else:
                    line.append(tuple(int(round(clamp(v, 0, 255))) for v in p[:3]) + (a,))
            out.append(line)
        return out


# ---- palette reduction -----------------------------------------------------------


def median_cut(colours, count):
    """Reduce a list of (colour, weight) pairs to at most count representative
    colours by median cut. Deterministic: ties are broken by the colour values."""
    boxes = [sorted(colours)]
    while len(boxes) < count:
        # split the box with the widest channel range (most pixels on ties)
        best = None
        for i, box in enumerate(boxes):
            if len(box) < 2:
                continue
            spans = [max(c[k] for c, _ in box) - min(c[k] for c, _ in box) for k in range(3)]
            key = (max(spans), sum(w for _, w in box))
            if best is None or key > best[0]:
                best = (key, i, spans.index(max(spans)))
        if best is None or best[0][0] == 0:
            break
        _, i, channel = best
        box = sorted(boxes.pop(i), key=lambda cw: (cw[0][channel], cw[0]))
        total = sum(w for _, w in box)
        acc = 0
        cut = 1
        for j, (_, w) in enumerate(box):
            acc += w
            if acc * 2 >= total:
                cut = max(1, min(len(box) - 1, j + 1))
                break
        boxes.insert(i, box[cut:])
        boxes.insert(i, box[:cut])
    result = []
    for box in boxes:
        total = sum(w for _, w in box)
        result.append(
            tuple(int(round(sum(c[k] * w for c, w in box) / total)) for k in range(3))
        )
    return result


def to_indexed(rows, keep=((255, 255, 255),), size=256):
    """Turn RGB rows into (palette, index rows). The colours in keep take the first
    palette entries and stay exact; a pixel of any other colour is mapped to the
    nearest of the remaining entries, never to a kept colour."""
    keep = list(keep)
    counts = {}
    for row in rows:
        for p in row:
            if p not in keep:
                counts[p] = counts.get(p, 0) + 1
    free = size - len(keep)
    if len(counts) <= free:
        others = sorted(counts)
    else:
        others = median_cut(sorted(counts.items()), free)
    # a mean colour may not land on a kept one: a non-white pixel must never turn white
    others = [c if c not in keep else tuple(max(0, v - 1) for v in c) for c in others]
    palette = keep + others
    lookup = {c: i for i, c in enumerate(keep)}
    for c in counts:
        best = min(
            range(len(keep), len(palette)),
            key=lambda i: sum((palette[i][k] - c[k]) ** 2 for k in range(3)) * 1024 + i,
        )
        lookup[c] = best
    return palette, [[lookup[p] for p in row] for row in rows]
