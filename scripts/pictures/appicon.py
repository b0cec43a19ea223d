"""The window icon for the desktop's icon theme: the red arrow pointer with its grey shadow.

The 32-pixel picture in icons.py is the original. The 16-pixel one is placed by hand like it;
the larger ones are drawn from the outline below, traced over the 32-pixel picture, with
smoothed edges so that they do not turn into blocks when the desktop shows them large.
"""

ARROW_16 = """
...K............
...KK...........
...KRKD.........
...KRRKD........
...KRRRKD.......
...KRRRRKD......
...KRRRRRKD.....
...KRRRRRRKD....
...KRRRRKKKKD...
...KRRKRRKDDDD..
...KRKDKRRKD....
...KKDDKRRKD....
...K..DDKRRKD...
.......DKRRKD...
........KKKDD...
.........DDD....
"""

# Outline of the pointer in the 32-pixel picture's units, tip first, clockwise on screen.
ARROW_OUTLINE = [(6, 1), (23, 18), (15, 18), (19.5, 27.5), (18, 28.5), (15, 28.5),
                 (10.4, 18.6), (6, 23)]
SHADOW_OFFSET = (2, 1)
BLACK = (0, 0, 0)
RED = (255, 0, 0)
GREY = (128, 128, 128)


def _offset_inwards(points, width):
    """The outline moved inwards by width: each edge shifted, neighbours intersected."""
    n = len(points)
    lines = []
    for k in range(n):
        (x0, y0), (x1, y1) = points[k], points[(k + 1) % n]
        dx, dy = x1 - x0, y1 - y0
        length = (dx * dx + dy * dy) ** 0.5
        # Clockwise on screen (y down): the inside lies to the right of each edge.
        nx, ny = -dy / length, dx / length
        lines.append(((x0 + nx * width, y0 + ny * width), (dx, dy)))
    inner = []
    for k in range(n):
        (px, py), (ax, ay) = lines[k - 1]
        (qx, qy), (bx, by) = lines[k]
        cross = ax * by - ay * bx
        t = ((qx - px) * by - (qy - py) * bx) / cross
        inner.append((px + ax * t, py + ay * t))
    return inner


def _inside(points, x, y):
    hit = False
    n = len(points)
    for k in range(n):
        (x0, y0), (x1, y1) = points[k], points[(k + 1) % n]
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            hit = not hit
    return hit


def _coverage(points, size, grid):
    scale = size / 32
    shape = [(x * scale, y * scale) for x, y in points]
    cover = [[0.0] * size for _ in range(size)]
    step = 1 / grid
    for py in range(size):
        for px in range(size):
            hits = 0
            for sy in range(grid):
                for sx in range(grid):
                    if _inside(shape, px + (sx + 0.5) * step, py + (sy + 0.5) * step):
                        hits += 1
            cover[py][px] = hits / (grid * grid)
    return cover


def draw_arrow(size):
    """Rows of (red, green, blue, alpha) for a size x size picture of the pointer."""
    # A one-pixel rim at 32 pixels; a little thinner at large sizes, where it would look heavy.
    rim = 1.0 if size <= 64 else 0.7
    grid = 8 if size <= 64 else 4
    shadow = [(x + SHADOW_OFFSET[0], y + SHADOW_OFFSET[1]) for x, y in ARROW_OUTLINE]
    layers = [
        (GREY, _coverage(shadow, size, grid)),
        (BLACK, _coverage(ARROW_OUTLINE, size, grid)),
        (RED, _coverage(_offset_inwards(ARROW_OUTLINE, rim), size, grid)),
    ]
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            # Painted one over the other, premultiplied.
            r = g = b = a = 0.0
            for colour, cover in layers:
                c = cover[y][x]
                r = colour[0] * c + r * (1 - c)
                g = colour[1] * c + g * (1 - c)
                b = colour[2] * c + b * (1 - c)
                a = c + a * (1 - c)
            if a > 0:
                r, g, b = r / a, g / a, b / a
            row.append((round(r), round(g), round(b), round(a * 255)))
        rows.append(row)
    return rows
