#!/usr/bin/env python3
"""Draws the bundle's pictures and writes them, with the advert page, beside itself.

    python3 Resources/make_resources.py

Only Python's standard library: the shapes are drawn with anti-aliased edges from
their distance to each pixel, and a small baseline JPEG encoder (optimal Huffman
tables, no chroma subsampling) writes the files. The output is committed; the build
only copies it. Running the script again gives the same bytes.

    StampOverlay.jpg       80 x 80   the stamp's perforated paper frame
    StampOverlayMask.jpg   80 x 80   its mask: black (opaque) on the frame and the
                                     perforation, white (transparent) in the window
    unfsImage.jpg          256 x 256 the placeholder shown while there is no photo
    DefaultStampImage.jpg  240 x 240 the stamp's first photo, a drawn landscape
    AppIcon.png            128 x 128 the application's icon: the stamp with its
                                     landscape and a post mark, on transparency
    index.html                       the advert page for Pixalune Photos
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# The maker's web site: the one host every link of the advert page points to.
HOST = "www.pixalune.com"


# --------------------------------------------------------------------------- JPEG

def _zigzag():
    order = []
    for s in range(15):
        cells = [(row, s - row) for row in range(8) if 0 <= s - row < 8]
        if s % 2 == 0:
            cells.reverse()
        order += [row * 8 + col for row, col in cells]
    return order


ZIGZAG = _zigzag()

LUMINANCE_QUANT = [
    16, 11, 10, 16, 24, 40, 51, 61, 12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56, 14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77, 24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99]
CHROMINANCE_QUANT = [
    17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99, 47, 66, 99, 99, 99, 99, 99, 99] + [99] * 32

DCT = [[(math.sqrt(0.5) if u == 0 else 1.0) / 2.0 * math.cos((2 * x + 1) * u * math.pi / 16)
        for x in range(8)] for u in range(8)]


def scaled_quant(table, quality):
    scale = 5000 // quality if quality < 50 else 200 - 2 * quality
    return [min(255, max(1, (q * scale + 50) // 100)) for q in table]


def fdct(block):
    """block: 64 level-shifted samples in rows; the 2-D DCT-II, rows of coefficients."""
    rows = [[sum(DCT[u][x] * block[y * 8 + x] for x in range(8)) for u in range(8)] for y in range(8)]
    return [sum(DCT[v][y] * rows[y][u] for y in range(8)) for v in range(8) for u in range(8)]


def magnitude_bits(value):
    size = abs(value).bit_length()
    return size, (value if value >= 0 else value + (1 << size) - 1)


def optimal_table(freq):
    """Code lengths by the procedure of the JPEG standard's annex K.2: BITS, HUFFVAL."""
    freq = dict(freq)
    freq[256] = 1                     # reserved, so that no code is all ones
    size = {s: 0 for s in freq}
    other = {s: None for s in freq}
    while True:
        live = sorted((f, -s, s) for s, f in freq.items() if f > 0)
        if len(live) < 2:
            break
        v1, v2 = live[0][2], live[1][2]
        freq[v1] += freq[v2]
        freq[v2] = 0
        for v in (v1, v2):
            size[v] += 1
            while other[v] is not None:
                v = other[v]
                size[v] += 1
        tail = v1
        while other[tail] is not None:
            tail = other[tail]
        other[tail] = v2
    bits = [0] * 33
    for s, n in size.items():
        if n:
            bits[n] += 1
    for i in range(32, 16, -1):
        while bits[i] > 0:
            j = i - 2
            while bits[j] == 0:
                j -= 1
            bits[i] -= 2
            bits[i - 1] += 1
            bits[j + 1] += 2
            bits[j] -= 1
    i = 16
    while bits[i] == 0:
        i -= 1
    bits[i] -= 1                      # drop the reserved code, the last of the longest
    values = sorted((s for s in size if size[s] and s != 256), key=lambda s: (size[s], s))
    return bits[1:17], values


def huffman_codes(bits, values):
    codes, code, k = {}, 0, 0
    for length in range(1, 17):
        for _ in range(bits[length - 1]):
            codes[values[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


class BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.count = 0

    def write(self, value, length):
        self.acc = (self.acc << length) | (value & ((1 << length) - 1))
        self.count += length
        while self.count >= 8:
            self.count -= 8
            byte = (self.acc >> self.count) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)    # stuffing, so the byte is not read as a marker
        self.acc &= (1 << self.count) - 1

    def flush(self):
        if self.count:
            self.write((1 << (8 - self.count)) - 1, 8 - self.count)


def _segment(marker, body):
    return bytes([0xFF, marker]) + (len(body) + 2).to_bytes(2, "big") + body


def write_jpeg(name, width, height, planes, quality):
    """planes: one (grey) or three (R, G, B) lists of width * height values 0..255."""
    if len(planes) == 3:
        r, g, b = planes
        ycc = [[], [], []]
        for i in range(width * height):
            y = 0.299 * r[i] + 0.587 * g[i] + 0.114 * b[i]
            ycc[0].append(y)
            ycc[1].append(128 + (b[i] - y) * 0.564)
            ycc[2].append(128 + (r[i] - y) * 0.713)
        planes = ycc
    quants = [scaled_quant(LUMINANCE_QUANT, quality), scaled_quant(CHROMINANCE_QUANT, quality)]
    table_of = [0, 1, 1]

    # Quantised blocks in scan order (8 x 8, the edges repeated), one list per MCU.
    blocks_w, blocks_h = (width + 7) // 8, (height + 7) // 8
    mcus = []
    for by in range(blocks_h):
        for bx in range(blocks_w):
            mcu = []
            for c, plane in enumerate(planes):
                samples = [plane[min(height - 1, by * 8 + y) * width + min(width - 1, bx * 8 + x)] - 128.0
                           for y in range(8) for x in range(8)]
                coeffs = fdct(samples)
                q = quants[table_of[c]]
                mcu.append([int(round(coeffs[z] / q[z])) for z in ZIGZAG])
            mcus.append(mcu)

    def symbols(emit):
        previous = [0] * len(planes)
        for mcu in mcus:
            for c, block in enumerate(mcu):
                t = table_of[c]
                size, bits = magnitude_bits(block[0] - previous[c])
                previous[c] = block[0]
                emit(("dc", t), size, size, bits)
                run = 0
                for k in range(1, 64):
                    if block[k] == 0:
                        run += 1
                        continue
                    while run > 15:
                        emit(("ac", t), 0xF0, 0, 0)
                        run -= 16
                    size, bits = magnitude_bits(block[k])
                    emit(("ac", t), (run << 4) | size, size, bits)
                    run = 0
                if run:
                    emit(("ac", t), 0x00, 0, 0)

    freqs = {}

    def count(table, symbol, _size, _bits):
        freqs.setdefault(table, {}).setdefault(symbol, 0)
        freqs[table][symbol] += 1

    symbols(count)
    tables = {key: optimal_table(f) for key, f in freqs.items()}
    codes = {key: huffman_codes(*t) for key, t in tables.items()}
    writer = BitWriter()

    def encode(table, symbol, size, bits):
        code, length = codes[table][symbol]
        writer.write(code, length)
        if size:
            writer.write(bits, size)

    symbols(encode)
    writer.flush()

    n = len(planes)
    out = bytearray(b"\xFF\xD8")
    out += _segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    for t in range(1 if n == 1 else 2):
        out += _segment(0xDB, bytes([t]) + bytes(quants[t][z] for z in ZIGZAG))
    frame = bytes([8]) + height.to_bytes(2, "big") + width.to_bytes(2, "big") + bytes([n])
    for c in range(n):
        frame += bytes([c + 1, 0x11, table_of[c]])
    out += _segment(0xC0, frame)
    for (kind, t), (bits, values) in sorted(tables.items()):
        out += _segment(0xC4, bytes([(0 if kind == "dc" else 1) << 4 | t]) + bytes(bits) + bytes(values))
    scan = bytes([n])
    for c in range(n):
        scan += bytes([c + 1, table_of[c] << 4 | table_of[c]])
    out += _segment(0xDA, scan + b"\x00\x3F\x00")
    out += writer.out + b"\xFF\xD9"
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(out)


# ----------------------------------------------------------------------- drawing
#
# A canvas of floating-point colours. Shapes are given by a signed distance (in
# pixels, negative inside) and cover a pixel by clamp(0.5 - distance): anti-aliased
# edges without supersampling.

def coverage(distance):
    return max(0.0, min(1.0, 0.5 - distance))


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def hex_colour(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


class Canvas:
    def __init__(self, width, height, colour):
        self.width, self.height = width, height
        self.pixels = [list(colour) for _ in range(width * height)]

    def paint(self, distance, colour, box=None, alpha=1.0):
        """distance(x, y) at pixel centres; colour a tuple or colour(x, y)."""
        x0, y0, x1, y1 = box or (0, 0, self.width, self.height)
        for y in range(max(0, int(y0)), min(self.height, int(math.ceil(y1)))):
            for x in range(max(0, int(x0)), min(self.width, int(math.ceil(x1)))):
                a = coverage(distance(x + 0.5, y + 0.5)) * alpha
                if a <= 0.0:
                    continue
                c = colour(x + 0.5, y + 0.5) if callable(colour) else colour
                p = self.pixels[y * self.width + x]
                for i in range(3):
                    p[i] += (c[i] - p[i]) * a

    def planes(self, grey=False):
        if grey:
            return [[max(0, min(255, round(sum(p) / 3.0))) for p in self.pixels]]
        return [[max(0, min(255, round(p[i]))) for p in self.pixels] for i in range(3)]


def box_distance(px, py, x0, y0, x1, y1, radius=0.0):
    """Signed distance to a rectangle with rounded corners."""
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - radius, (y1 - y0) / 2.0 - radius
    qx, qy = abs(px - cx) - hx, abs(py - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def circle_distance(px, py, cx, cy, r):
    return math.hypot(px - cx, py - cy) - r


def segment_distance(px, py, ax, ay, bx, by, half_width):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - ax - t * dx, py - ay - t * dy) - half_width


def triangle_distance(px, py, a, b, c):
    """Signed distance to a triangle (exact outside, the nearest edge inside)."""
    edges = ((a, b), (b, c), (c, a))
    d = min(segment_distance(px, py, p[0], p[1], q[0], q[1], 0.0) for p, q in edges)
    cross = [(q[0] - p[0]) * (py - p[1]) - (q[1] - p[1]) * (px - p[0]) for p, q in edges]
    inside = all(v >= 0 for v in cross) or all(v <= 0 for v in cross)
    return -d if inside else d


def below_curve(curve):
    """The region below y = curve(x), as a distance corrected for the slope."""
    def distance(px, py):
        slope = (curve(px + 0.5) - curve(px - 0.5))
        return (curve(px) - py) / math.sqrt(1.0 + slope * slope)
    return distance


# ------------------------------------------------------------------ stamp frame

STAMP = 80
WINDOW = 9            # the photo's window starts this far in from each edge
PITCH = 8             # one perforation notch every 8 pixels
NOTCH = 2.6           # notch radius

PAPER = hex_colour("#FCFAF4")
PAPER_EDGE = hex_colour("#C9C2B3")   # shows the perforated outline on a white card
ENGRAVING = hex_colour("#A99F8B")    # the line around the window


def notch_centres():
    along = [PITCH / 2.0 + i * PITCH for i in range(STAMP // PITCH)]
    return ([(a, 0.0) for a in along] + [(a, float(STAMP)) for a in along] +
            [(0.0, a) for a in along] + [(float(STAMP), a) for a in along])


NOTCHES = notch_centres()


def stamp_distance(px, py):
    """The perforated stamp: the square with half discs cut from its edges."""
    d = box_distance(px, py, 0, 0, STAMP, STAMP)
    nearest = min(math.hypot(px - cx, py - cy) for cx, cy in NOTCHES)
    return max(d, NOTCH - nearest)


def window_distance(px, py):
    return box_distance(px, py, WINDOW, WINDOW, STAMP - WINDOW, STAMP - WINDOW)


def draw_overlay():
    # Outside the perforated outline the overlay is white like the card, and opaque:
    # the notches then look cut out, whatever photo lies under the frame.
    canvas = Canvas(STAMP, STAMP, (255, 255, 255))
    canvas.paint(stamp_distance, PAPER_EDGE)
    canvas.paint(lambda x, y: stamp_distance(x, y) + 0.9, PAPER)
    # A faint second line inside the paper's edge, like a printed border.
    canvas.paint(lambda x, y: abs(box_distance(x, y, 4, 4, STAMP - 4, STAMP - 4)) - 0.35,
                 hex_colour("#E4DCCB"))
    canvas.paint(lambda x, y: window_distance(x, y) - 1.0, ENGRAVING)
    # Under the transparent window: never seen, kept close to the engraving so that
    # JPEG's ringing at the window's edge stays invisible.
    canvas.paint(window_distance, ENGRAVING)
    return canvas


def draw_overlay_mask():
    # Black is opaque: the frame and the perforation; white shows the photo.
    canvas = Canvas(STAMP, STAMP, (0, 0, 0))
    canvas.paint(window_distance, (255, 255, 255))
    return canvas


# ------------------------------------------------------------------ placeholder

PLACEHOLDER = 256
LINE = hex_colour("#CACDD2")
SHADE = hex_colour("#E6E8EB")


def rounded_perimeter_position(px, py, x0, y0, x1, y1, r):
    """Arc-length position, clockwise from the top edge's left end, of the point of a
    rounded rectangle's outline nearest to (px, py)."""
    w, h = x1 - x0 - 2 * r, y1 - y0 - 2 * r
    q = math.pi * r / 2.0
    in_x = x0 + r <= px <= x1 - r
    in_y = y0 + r <= py <= y1 - r
    if in_x and (not in_y or min(py - y0, y1 - py) <= min(px - x0, x1 - px)):
        if py - y0 <= y1 - py:
            return px - (x0 + r)                               # top edge
        return w + 2 * q + h + (x1 - r - px)                   # bottom edge
    if in_y:
        if x1 - px <= px - x0:
            return w + q + (py - (y0 + r))                     # right edge
        return 2 * w + 3 * q + h + (y1 - r - py)               # left edge
    right, bottom = px > x1 - r, py > y1 - r
    if right and not bottom:
        cx, cy, start, base = x1 - r, y0 + r, w, -math.pi / 2
    elif right:
        cx, cy, start, base = x1 - r, y1 - r, w + q + h, 0.0
    elif bottom:
        cx, cy, start, base = x0 + r, y1 - r, 2 * w + 2 * q + h, math.pi / 2
    else:
        cx, cy, start, base = x0 + r, y0 + r, 2 * w + 3 * q + 2 * h, math.pi
    angle = (math.atan2(py - cy, px - cx) - base) % (2 * math.pi)
    return start + min(angle, math.pi / 2) * r


def draw_placeholder():
    canvas = Canvas(PLACEHOLDER, PLACEHOLDER, (255, 255, 255))
    inset, radius, half_stroke = 14.0, 24.0, 1.5
    x0, y0, x1, y1 = inset, inset, PLACEHOLDER - inset, PLACEHOLDER - inset
    w, h = x1 - x0 - 2 * radius, y1 - y0 - 2 * radius
    perimeter = 2 * (w + h) + 2 * math.pi * radius
    dashes = round(perimeter / 22.0)          # a whole number of dashes, so they close up
    pitch = perimeter / dashes

    def dashed(px, py):
        ring = abs(box_distance(px, py, x0, y0, x1, y1, radius)) - half_stroke
        if ring > 1.0:
            return ring
        t = rounded_perimeter_position(px, py, x0, y0, x1, y1, radius) % pitch
        dash = pitch * 0.62
        along = -min(t, dash - t) if t < dash else min(t - dash, pitch - t)
        return max(ring, along)

    canvas.paint(dashed, LINE)

    # A picture icon above the middle: a frame, a sun, two hills.
    fx0, fy0, fx1, fy1 = 90.0, 46.0, 166.0, 100.0
    canvas.paint(lambda x, y: box_distance(x, y, fx0 + 3, fy0 + 3, fx1 - 3, fy1 - 3, 3.0), SHADE,
                 box=(fx0, fy0, fx1, fy1))
    hills = below_curve(lambda x: 97.0 - 20.0 * math.exp(-((x - 114.0) / 13.0) ** 2)
                        - 13.0 * math.exp(-((x - 145.0) / 10.0) ** 2))
    canvas.paint(lambda x, y: max(hills(x, y), box_distance(x, y, fx0 + 3, fy0 + 3, fx1 - 3, fy1 - 3, 3.0)),
                 hex_colour("#D3D7DC"), box=(fx0, fy0, fx1, fy1))
    canvas.paint(lambda x, y: circle_distance(x, y, 148.0, 62.0, 6.5), hex_colour("#D3D7DC"))
    canvas.paint(lambda x, y: abs(box_distance(x, y, fx0, fy0, fx1, fy1, 6.0)) - 2.0, LINE)

    # Below the middle: an arrow dropping into a tray.
    canvas.paint(lambda x, y: segment_distance(x, y, 128.0, 168.0, 128.0, 190.0, 3.0), LINE)
    canvas.paint(lambda x, y: triangle_distance(x, y, (115.0, 186.0), (141.0, 186.0), (128.0, 201.0)), LINE)
    for a, b in (((104.0, 196.0), (104.0, 209.0)), ((104.0, 209.0), (152.0, 209.0)),
                 ((152.0, 209.0), (152.0, 196.0))):
        canvas.paint(lambda x, y, a=a, b=b: segment_distance(x, y, a[0], a[1], b[0], b[1], 1.8), LINE)
    return canvas


# ------------------------------------------------------------ default stamp photo

PHOTO = 240


def draw_landscape():
    s = PHOTO / 240.0
    sky_top, sky_horizon = hex_colour("#3F7CC4"), hex_colour("#FBD29A")
    canvas = Canvas(PHOTO, PHOTO, (0, 0, 0))
    horizon = 150.0 * s
    canvas.paint(lambda x, y: -10.0, lambda x, y: mix(sky_top, sky_horizon, (y / horizon) ** 1.3))

    # The sun low over the hills, with a soft glow.
    sun_x, sun_y, sun_r = 160.0 * s, 84.0 * s, 20.0 * s
    for ring in range(10, 0, -1):
        canvas.paint(lambda x, y, ring=ring: circle_distance(x, y, sun_x, sun_y, sun_r + ring * 3.0 * s),
                     hex_colour("#FFE9B8"), alpha=0.07)
    canvas.paint(lambda x, y: circle_distance(x, y, sun_x, sun_y, sun_r), hex_colour("#FFF1C4"))

    # Two birds.
    for bx, by, span in ((62.0, 58.0, 9.0), (84.0, 46.0, 7.0)):
        for side in (-1.0, 1.0):
            canvas.paint(lambda x, y, bx=bx, by=by, span=span, side=side: segment_distance(
                x, y, bx * s, by * s, (bx + side * span) * s, (by - span * 0.55) * s, 1.1 * s),
                hex_colour("#3A3F55"))

    # Far mountains, then nearer ones, bluish and hazy.
    far = below_curve(lambda x: (118.0 - 26.0 * math.exp(-((x / s - 58.0) / 30.0) ** 2)
                                 - 16.0 * math.exp(-((x / s - 200.0) / 26.0) ** 2)
                                 - 3.0 * math.sin(x / s / 7.0)) * s)
    canvas.paint(far, lambda x, y: mix(hex_colour("#9AA6C8"), hex_colour("#B7B6C9"), (y - 90.0 * s) / (60.0 * s)))
    near = below_curve(lambda x: (140.0 - 18.0 * math.exp(-((x / s - 110.0) / 34.0) ** 2)
                                  - 2.5 * math.sin(x / s / 5.0)) * s)
    canvas.paint(near, lambda x, y: mix(hex_colour("#6F7FAE"), hex_colour("#8A90B2"), (y - 118.0 * s) / (34.0 * s)))

    # A lake with the sun's glitter.
    lake = lambda x, y: (horizon + 2.0 * s) - y
    canvas.paint(lake, lambda x, y: mix(hex_colour("#E9C9A2"), hex_colour("#5E88B8"), (y - horizon) / (30.0 * s)))
    for row in range(6):
        yy = horizon + (5.0 + row * 4.5) * s
        half = (16.0 - row * 2.0) * s
        canvas.paint(lambda x, y, yy=yy, half=half: segment_distance(x, y, sun_x - half, yy, sun_x + half, yy, 0.9 * s),
                     hex_colour("#FFF3D2"), alpha=0.8)

    # A sailing boat.
    bx, by = 70.0 * s, 166.0 * s
    canvas.paint(lambda x, y: triangle_distance(x, y, (bx, by - 30 * s), (bx, by - 3 * s), (bx + 17 * s, by - 3 * s)),
                 hex_colour("#FFFFFF"))
    canvas.paint(lambda x, y: triangle_distance(x, y, (bx - 2 * s, by - 24 * s), (bx - 2 * s, by - 3 * s),
                                                (bx - 12 * s, by - 3 * s)), hex_colour("#F2ECE0"))
    canvas.paint(lambda x, y: segment_distance(x, y, bx - 1 * s, by - 31 * s, bx - 1 * s, by - 1 * s, 0.8 * s),
                 hex_colour("#5B4636"))
    canvas.paint(lambda x, y: max(box_distance(x, y, bx - 16 * s, by - 3 * s, bx + 20 * s, by + 5 * s, 3 * s),
                                  (by - 3 * s) - y), hex_colour("#35507E"))

    # Green hills in front, the nearer darker.
    hill1 = below_curve(lambda x: (176.0 - 20.0 * math.exp(-((x / s - 205.0) / 45.0) ** 2)
                                   + 6.0 * math.sin(x / s / 23.0)) * s)
    canvas.paint(hill1, lambda x, y: mix(hex_colour("#7DB661"), hex_colour("#4E8E43"), (y - 150.0 * s) / (60.0 * s)))
    hill2 = below_curve(lambda x: (204.0 - 22.0 * math.exp(-((x / s - 30.0) / 50.0) ** 2)
                                   + 4.0 * math.sin(x / s / 17.0)) * s)
    canvas.paint(hill2, lambda x, y: mix(hex_colour("#5C9E47"), hex_colour("#2F6B34"), (y - 180.0 * s) / (60.0 * s)))

    # Three pines on the near hill.
    for tx, ty, th in ((26.0, 186.0, 30.0), (40.0, 190.0, 22.0), (208.0, 168.0, 26.0)):
        canvas.paint(lambda x, y, tx=tx, ty=ty, th=th: segment_distance(x, y, tx * s, ty * s, tx * s, (ty + 6) * s, 1.4 * s),
                     hex_colour("#5A3E2B"))
        for tier in range(3):
            top = ty - th + tier * th * 0.28
            width = th * (0.22 + tier * 0.09)
            canvas.paint(lambda x, y, tx=tx, top=top, width=width, ty=ty, tier=tier, th=th: triangle_distance(
                x, y, (tx * s, top * s), ((tx - width) * s, (top + th * 0.42) * s), ((tx + width) * s, (top + th * 0.42) * s)),
                mix(hex_colour("#1F5A31"), hex_colour("#2E7440"), tier / 2.0))
    return canvas


# -------------------------------------------------------------------- advert page

def advert_page():
    site = "http://" + HOST
    return f"""<html>
<head>
<meta http-equiv="Content-Type" content="text/html; charset=utf-8">
<title>Pixalune Photos</title>
</head>
<body bgcolor="#ffffff" style="font-family: 'DejaVu Sans', sans-serif; color: #2b2b2b;">
<table width="100%" cellpadding="16" cellspacing="0">
<tr>
<td bgcolor="#1f4e79">
<p style="color: #ffffff; font-size: 26px; font-weight: bold; margin: 0;">Pixalune Photos</p>
<p style="color: #d6e6f5; font-size: 14px; margin-top: 4px;">Every photo at its best, in a few clicks</p>
</td>
</tr>
</table>

<table width="100%" cellpadding="14" cellspacing="0">
<tr>
<td valign="top" width="62%">
<p style="color: #1f4e79; font-size: 18px; font-weight: bold;">Thank you for making a Zinglet!</p>
<p style="font-size: 13px;">The photo on your card can look even better. <b>Pixalune Photos</b>
is the photo editor from the makers of this card composer: it fixes, crops and
organises your pictures without a manual.</p>
<table cellpadding="3" cellspacing="0">
<tr><td style="color: #2e7d32; font-size: 13px;">&#10003;</td><td style="font-size: 13px;">One-click colour, light and contrast fixes</td></tr>
<tr><td style="color: #2e7d32; font-size: 13px;">&#10003;</td><td style="font-size: 13px;">Crop, straighten and resize for e-mail or print</td></tr>
<tr><td style="color: #2e7d32; font-size: 13px;">&#10003;</td><td style="font-size: 13px;">Red-eye removal and gentle retouching</td></tr>
<tr><td style="color: #2e7d32; font-size: 13px;">&#10003;</td><td style="font-size: 13px;">Frames, borders and classic film looks</td></tr>
<tr><td style="color: #2e7d32; font-size: 13px;">&#10003;</td><td style="font-size: 13px;">Albums that keep thousands of photos in order</td></tr>
</table>
<p style="font-size: 13px;">Try it free for 30 days: press <b>Download Now!</b> below, or read
more on <a href="{site}/pixalunephotos/">our web site</a>.</p>
</td>
<td valign="top" width="38%" bgcolor="#f3f7fb">
<p style="color: #1f4e79; font-size: 15px; font-weight: bold;">What our users say</p>
<p style="font-size: 12px;"><i>&ldquo;I fixed twenty years of holiday pictures in one weekend.&rdquo;</i></p>
<p style="font-size: 12px;"><i>&ldquo;Simple enough for my grandmother, clever enough for me.&rdquo;</i></p>
<p style="color: #1f4e79; font-size: 15px; font-weight: bold;">Need help?</p>
<p style="font-size: 12px;">Visit <a href="{site}/support/">Service &amp; Support</a>
or write to us from <a href="{site}/contact/">our contact page</a>.</p>
</td>
</tr>
</table>
<p align="center" style="font-size: 11px; color: #888888;">&copy; Pixalune &middot; <a href="{site}/">{HOST}</a></p>
</body>
</html>
"""


# ------------------------------------------------------------------------- icon

ICON = 128
ICON_MARGIN = 8.0
POST_MARK = hex_colour("#B60000")


def write_png(name, width, height, planes, alpha):
    """RGBA, 8 bits a sample, no filtering; zlib at a fixed level gives fixed bytes."""
    rows = b"".join(
        b"\0" + bytes(v for x in range(width)
                      for v in (planes[0][y * width + x], planes[1][y * width + x],
                                planes[2][y * width + x], alpha[y * width + x]))
        for y in range(height))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    with open(os.path.join(HERE, name), "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        f.write(chunk(b"IEND", b""))


def draw_icon():
    """The stamp frame scaled up, the landscape in its window, a post mark over it."""
    scale = (ICON - 2 * ICON_MARGIN) / STAMP

    def scaled(distance):
        return lambda px, py: distance((px - ICON_MARGIN) / scale, (py - ICON_MARGIN) / scale) * scale

    stamp, window = scaled(stamp_distance), scaled(window_distance)
    canvas = Canvas(ICON, ICON, PAPER)
    alpha = [round(255 * coverage(stamp(x + 0.5, y + 0.5))) for y in range(ICON) for x in range(ICON)]
    canvas.paint(stamp, PAPER_EDGE)
    canvas.paint(lambda x, y: stamp(x, y) + 1.2, PAPER)

    land = draw_landscape()
    w0, w1 = ICON_MARGIN + WINDOW * scale, ICON_MARGIN + (STAMP - WINDOW) * scale

    def photo(px, py):
        u = min(PHOTO - 1, max(0, int((px - w0) / (w1 - w0) * PHOTO)))
        v = min(PHOTO - 1, max(0, int((py - w0) / (w1 - w0) * PHOTO)))
        return land.pixels[v * PHOTO + u]

    canvas.paint(window, photo)
    canvas.paint(lambda x, y: abs(window(x, y)) - 0.6, ENGRAVING)
    # The post mark: a ring and three wavy cancellation lines, in the card's dark red.
    cx, cy, r = 86.0, 84.0, 22.0
    canvas.paint(lambda x, y: abs(circle_distance(x, y, cx, cy, r)) - 1.8, POST_MARK, alpha=0.85)
    for k in (-7.0, 0.0, 7.0):
        def wave(px, py, k=k):
            if px < 24.0 or px > cx + r - 4.0:
                return 1.0
            return abs(py - (cy + k + 2.5 * math.sin(px / 4.0))) - 1.2
        canvas.paint(wave, POST_MARK, alpha=0.75)
    return canvas, alpha


def main():
    icon, icon_alpha = draw_icon()
    write_png("AppIcon.png", ICON, ICON, icon.planes(), icon_alpha)
    write_jpeg("StampOverlay.jpg", STAMP, STAMP, draw_overlay().planes(), quality=95)
    write_jpeg("StampOverlayMask.jpg", STAMP, STAMP, draw_overlay_mask().planes(grey=True), quality=95)
    write_jpeg("unfsImage.jpg", PLACEHOLDER, PLACEHOLDER, draw_placeholder().planes(grey=True), quality=92)
    write_jpeg("DefaultStampImage.jpg", PHOTO, PHOTO, draw_landscape().planes(), quality=92)
    with open(os.path.join(HERE, "index.html"), "w", encoding="utf-8") as f:
        f.write(advert_page())


if __name__ == "__main__":
    main()
