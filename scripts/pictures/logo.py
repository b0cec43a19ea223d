"""The title logo: "Zorvex" in slanted, red-outlined letters filled white to grey."""

WIDTH, HEIGHT = 211, 65
SUB = 4  # samples per pixel along each axis
BASE = 55.0  # baseline
XTOP = 21.0  # top of the small letters
CAP = 6.0  # top of the capital
SLANT = 0.21  # x shift per pixel of height above the baseline
RIM = 2.2  # outline width in pixels
SHADOW = (2, 2)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x <= x1 and y0 <= y <= y1


def poly(*pts):
    def inside(x, y):
        hit = False
        j = len(pts) - 1
        for i in range(len(pts)):
            (xi, yi), (xj, yj) = pts[i], pts[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    return inside


def oval(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def union(*parts):
    return lambda x, y: any(p(x, y) for p in parts)


def minus(a, b):
    return lambda x, y: a(x, y) and not b(x, y)


def letter_z(w):
    bar = 9.0
    return w, union(rect(1.5, CAP, w - 1, CAP + bar), rect(0, BASE - bar, w, BASE),
                    poly((w - 12.5, CAP + bar), (w - 1, CAP + bar), (12.5, BASE - bar),
                         (0.5, BASE - bar)))


def ring(w, cx, cy, ry):
    return minus(oval(cx, cy, w / 2, ry), oval(cx, cy, w / 2 - 9.5, ry - 9))


def letter_o(w):
    cy = (XTOP + BASE) / 2
    return w, ring(w, w / 2, cy, (BASE - XTOP) / 2)


def letter_r(w):
    stem = 10.0
    cy = XTOP + 17
    shoulder = minus(oval(stem + 9, cy, 18, 17), oval(stem + 9, cy, 9, 8.5))
    arch = lambda x, y: shoulder(x, y) and y <= cy - 1 and x >= stem - 1 and x <= w
    return w, union(rect(0, XTOP, stem, BASE), arch)


def letter_v(w):
    m = w / 2
    return w, poly((0, XTOP), (10.5, XTOP), (m, BASE - 15), (w - 10.5, XTOP), (w, XTOP),
                   (m + 5.5, BASE), (m - 5.5, BASE))


def letter_e(w):
    cy = (XTOP + BASE) / 2
    ry = (BASE - XTOP) / 2
    body = ring(w, w / 2, cy, ry)
    bar = rect(3, cy - 3.5, w - 3, cy + 3.5)
    mouth = lambda x, y: x > w / 2 + 2 and cy + 3.5 < y < BASE - 8.5
    inner = oval(w / 2, cy, w / 2, ry)
    return w, union(minus(body, mouth), lambda x, y: bar(x, y) and inner(x, y))


def letter_x(w):
    return w, union(poly((0, XTOP), (11, XTOP), (w, BASE), (w - 11, BASE)),
                    poly((w - 11, XTOP), (w, XTOP), (11, BASE), (0, BASE)))


def word():
    pieces = [letter_z(33), letter_o(30), letter_r(22), letter_v(30), letter_e(30),
              letter_x(30)]
    gap = 3.5
    total = sum(w for w, _ in pieces) + gap * (len(pieces) - 1) + (BASE - CAP) * SLANT
    x = (WIDTH - SHADOW[0] - total) / 2
    placed = []
    for w, shape in pieces:
        placed.append((x, x + w, shape))
        x += w + gap

    def inside(u, v):
        x = u - (BASE - v) * SLANT
        for x0, x1, shape in placed:
            if x0 - 1 <= x <= x1 + 1 and shape(x - x0, v):
                return True
        return False
    return inside


def depth_inside(mask, w, h):
    """Chamfer distance, in samples, from each inside sample to the nearest outside one."""
    far = 1 << 30
    d = [far if m else 0 for m in mask]

    def at(x, y):
        return d[y * w + x] if 0 <= x < w and 0 <= y < h else 0

    for y in range(h):
        for x in range(w):
            if d[y * w + x]:
                d[y * w + x] = min(d[y * w + x], at(x - 1, y) + 3, at(x, y - 1) + 3,
                                   at(x - 1, y - 1) + 4, at(x + 1, y - 1) + 4)
    for y in range(h - 1, -1, -1):
        for x in range(w - 1, -1, -1):
            if d[y * w + x]:
                d[y * w + x] = min(d[y * w + x], at(x + 1, y) + 3, at(x, y + 1) + 3,
                                   at(x + 1, y + 1) + 4, at(x - 1, y + 1) + 4)
    return [v / 3.0 for v in d]


def fill_colour(v):
    t = min(1.0, max(0.0, (v - CAP) / (BASE - CAP)))
    level = round(255 - t * (255 - 136))
    return (level, level, level)


def draw_logo(scale=1):
    """The logo at scale times its size in pixels; the letter shapes are the same."""
    width, height = WIDTH * scale, HEIGHT * scale
    per = SUB * scale  # samples per logo unit
    sw, sh = width * SUB, height * SUB
    inside = word()
    mask = [inside((i % sw + 0.5) / per, (i // sw + 0.5) / per) for i in range(sw * sh)]
    depth = depth_inside(mask, sw, sh)
    rim = RIM * per
    sx, sy = SHADOW[0] * per, SHADOW[1] * per

    pixels = []
    for py in range(height):
        for px in range(width):
            acc = [0, 0, 0]
            letter = shade = 0
            for j in range(SUB):
                for i in range(SUB):
                    x, y = px * SUB + i, py * SUB + j
                    k = y * sw + x
                    if mask[k]:
                        letter += 1
                        # A darker outer pixel keeps the rim crisp against a light background.
                        if depth[k] <= per:
                            c = (200, 0, 0)
                        elif depth[k] <= rim:
                            c = (255, 0, 0)
                        else:
                            c = fill_colour((y + 0.5) / per)
                        acc = [a + b for a, b in zip(acc, c)]
                    elif x >= sx and y >= sy and mask[(y - sy) * sw + x - sx]:
                        shade += 1
            total = SUB * SUB
            if letter * 2 >= total:
                pixels.append(tuple(round(a / letter) for a in acc))
            elif (letter + shade) * 2 >= total:
                pixels.append((96, 96, 96))
            else:
                pixels.append(None)
    return quantise(width, height, pixels)


def quantise(width, height, pixels):
    step = 1
    while True:
        snap = [None if p is None else tuple(min(255, round(c / step) * step) for c in p)
                for p in pixels]
        colours = sorted({p for p in snap if p is not None})
        if len(colours) <= 255:
            break
        step += 1
    # Index 0 is the see-through one; its colour is the button face for viewers that ignore it.
    palette = [(192, 192, 192)] + colours
    palette += [(0, 0, 0)] * (256 - len(palette))
    index = {c: i + 1 for i, c in enumerate(colours)}
    return width, height, [0 if p is None else index[p] for p in snap], palette, 0
