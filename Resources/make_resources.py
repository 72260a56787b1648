#!/usr/bin/env python3
"""Draws the bundle's pictures pixel by pixel and writes them as JPEG files.

Run it from anywhere; it writes next to itself. It needs only Python's standard
library and ImageMagick's `convert` (to turn the drawn PPM/PGM data into JPEG).
The pictures are committed, so building the program never runs this script.
"""
import math
import os
import subprocess
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def write_jpeg(name, width, height, pixel, grey=False, quality=95):
    """pixel(x, y) -> (r, g, b) or a grey level; written through a PPM/PGM file."""
    header = ("P5" if grey else "P6") + f"\n{width} {height}\n255\n"
    data = bytearray(header.encode("ascii"))
    for y in range(height):
        for x in range(width):
            value = pixel(x, y)
            if grey:
                data.append(max(0, min(255, int(value))))
            else:
                data.extend(max(0, min(255, int(c))) for c in value)
    with tempfile.NamedTemporaryFile(suffix=".pgm" if grey else ".ppm", delete=False) as raw:
        raw.write(data)
        path = raw.name
    try:
        args = ["convert", path, "-strip", "-quality", str(quality)]
        if grey:
            args += ["-colorspace", "Gray"]
        subprocess.run(args + [os.path.join(HERE, name)], check=True)
    finally:
        os.unlink(path)


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


# --- the stamp frame: an 80 x 80 perforated border; the photo shows in the window.
STAMP = 80
BAND = 9          # frame width
TOOTH_PITCH = 8   # one notch every 8 pixels along the edge
NOTCH_RADIUS = 2.6


def in_notch(x, y):
    cx, cy = x + 0.5, y + 0.5
    # Notches are half discs cut into the outer edge, centred on the edge line.
    for edge_distance, along in ((cy, cx), (STAMP - cy, cx), (cx, cy), (STAMP - cx, cy)):
        if edge_distance < NOTCH_RADIUS + 0.5:
            nearest = round((along - TOOTH_PITCH / 2) / TOOTH_PITCH) * TOOTH_PITCH + TOOTH_PITCH / 2
            if math.hypot(along - nearest, edge_distance) < NOTCH_RADIUS:
                return True
    return False


def frame_distance(x, y):
    return min(x, y, STAMP - 1 - x, STAMP - 1 - y)


def overlay_pixel(x, y):
    d = frame_distance(x, y)
    if in_notch(x, y):
        return (255, 255, 255)           # cut out: the card's white shows
    if d >= BAND:
        return (128, 128, 128)           # under the transparent window; never seen
    if d == BAND - 1:
        return (196, 186, 168)           # the window's engraved edge
    if d == 0:
        return (214, 206, 190)           # the paper's outer edge
    return (252, 248, 238)               # the stamp's paper


def overlay_mask_pixel(x, y):
    # Black is opaque: the frame (notches included, which are white paper-less
    # cut-outs); white is transparent: the window where the photo shows.
    return 0 if frame_distance(x, y) < BAND else 255


# --- the placeholder: 256 x 256, light, inviting a photo; the middle stays clear
# for the card's "Drop Photo Here".
def placeholder_pixel(x, y):
    white = (255, 255, 255)
    line = (226, 226, 226)
    inset, radius = 10, 22
    # A dashed rounded frame.
    dx = max(inset + radius - x, 0, x - (255 - inset - radius))
    dy = max(inset + radius - y, 0, y - (255 - inset - radius))
    r = math.hypot(dx, dy)
    on_border = abs(r - radius) < 1.6 if dx and dy else (
        (abs(x - inset) < 1.6 or abs(x - (255 - inset)) < 1.6) and inset + radius <= y <= 255 - inset - radius
        or (abs(y - inset) < 1.6 or abs(y - (255 - inset)) < 1.6) and inset + radius <= x <= 255 - inset - radius)
    if on_border and ((x + y) // 9) % 2 == 0:
        return line
    # A small picture icon above the middle: a frame with hills and a sun.
    if 92 <= x <= 164 and 52 <= y <= 100:
        if x in (92, 93, 163, 164) or y in (52, 53, 99, 100):
            return line
        if math.hypot(x - 146, y - 66) < 6:
            return (236, 236, 236)
        hill = 92 - 16 * math.exp(-((x - 115) / 14.0) ** 2) - 9 * math.exp(-((x - 145) / 10.0) ** 2)
        if y > hill:
            return (238, 238, 238)
    # An arrow pointing down toward the photo area below the middle.
    if 120 <= x <= 136 and 182 <= y <= 200:
        return (236, 236, 236)
    if 200 <= y <= 214 and abs(x - 128) <= 214 - y:
        return (236, 236, 236)
    return white


# --- the default stamp photo: a small landscape, 240 x 240.
def landscape_pixel(x, y):
    size = 240.0
    u, v = x / size, y / size
    sky = mix((86, 150, 214), (250, 214, 160), v / 0.62)
    sun = math.hypot(u - 0.72, v - 0.30)
    if sun < 0.085:
        return (255, 236, 170)
    if sun < 0.14:
        sky = mix((255, 226, 160), sky, (sun - 0.085) / 0.055)
    far = 0.58 - 0.07 * math.sin(u * 7.0 + 0.8) - 0.03 * math.sin(u * 17.0)
    near = 0.70 - 0.08 * math.sin(u * 4.0 + 2.1)
    if v > near:
        field = mix((88, 150, 64), (40, 98, 42), (v - near) / 0.3)
        if int((u * 40 + v * 60)) % 7 == 0:
            field = mix(field, (120, 170, 80), 0.3)
        # A winding path.
        path_x = 0.45 + 0.15 * math.sin(v * 9.0)
        if abs(u - path_x) < 0.02 + (v - near) * 0.12:
            return (214, 190, 140)
        return field
    if v > far:
        return mix((112, 136, 170), (96, 140, 110), (v - far) / 0.12)
    # A few birds.
    for bx, by in ((0.25, 0.22), (0.32, 0.18), (0.40, 0.25)):
        du, dv = u - bx, v - by
        if abs(du) < 0.025 and abs(dv + abs(du) * 0.8) < 0.004:
            return (60, 60, 70)
    return sky


def main():
    write_jpeg("StampOverlay.jpg", STAMP, STAMP, overlay_pixel)
    write_jpeg("StampOverlayMask.jpg", STAMP, STAMP, overlay_mask_pixel, grey=True)
    write_jpeg("unfsImage.jpg", 256, 256, placeholder_pixel, quality=92)
    write_jpeg("DefaultStampImage.jpg", 240, 240, landscape_pixel, quality=92)


if __name__ == "__main__":
    main()
