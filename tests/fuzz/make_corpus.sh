#!/bin/sh
# Seeds for the picture fuzzer: the framework's small test pictures and a few more
# encodings of the same picture, each a few kilobytes at most. Needs ImageMagick.
# The files in corpus/ not named seed_* are inputs the fuzzer itself found to reach
# new code (kept with -merge=1); every one of them decodes, or is refused, cleanly.
set -eu
cd "$(dirname "$0")"
DATA=../framework/graphics/testdata
OUT=corpus
mkdir -p "$OUT"
for f in quadrants.png quadrants.jpg quadrants.gif quadrants.bmp quadrants.tif quadrants.pict \
         quadrants.jp2 quadrants.j2k quadrants16.png quadrants_cmyk.jpg orient6.jpg alpha.png \
         animated.gif one_pixel.png one_pixel.jpg large_quadrants.jp2; do
  cp "$DATA/$f" "$OUT/seed_$f"
done
IM="convert -define png:exclude-chunks=date,time"
SRC="$DATA/quadrants.png"
$IM "$SRC" -strip -interlace JPEG -quality 80 "$OUT/seed_progressive.jpg"
$IM "$SRC" -strip -colorspace Gray -quality 80 "$OUT/seed_grey.jpg"
$IM "$SRC" -strip -interlace PNG "$OUT/seed_interlaced.png"
$IM "$SRC" -strip -colors 5 PNG8:"$OUT/seed_palette.png"
$IM "$SRC" -strip -colorspace Gray -depth 4 PNG:"$OUT/seed_grey4.png"
$IM "$SRC" -strip -type Palette -colors 4 -compress RLE BMP3:"$OUT/seed_rle.bmp"
$IM "$SRC" -strip -compress jpeg "$OUT/seed_jpeg.tif"
$IM "$SRC" -strip -colorspace Gray -quality 0 "$OUT/seed_grey.jp2"
$IM "$SRC" -strip -define jp2:tilewidth=16 -define jp2:tileheight=16 -quality 30 "$OUT/seed_tiled.jp2"
$IM "$SRC" -strip -alpha set -channel A -evaluate set 50% +channel -quality 0 "$OUT/seed_alpha.jp2"
$IM -size 300x20 xc:'#8844CC' -strip -quality 90 "$OUT/seed_wide.jpg"

# Hostile files, each once a fault: refused, or opened, within bounded memory and time.
python3 - "$OUT" <<'PY'
import struct, sys, zlib
out = sys.argv[1]

def j2k(w, h, tile, comps):
    siz = struct.pack(">HIIIIIIIIH", 0, w, h, 0, 0, tile, tile, 0, 0, len(comps))
    for dx in comps:
        siz += struct.pack(">BBB", 7, dx, dx)
    cod = struct.pack(">HBBHBBBBBB", 12, 0, 0, 1, 0, 5, 4, 4, 0, 0)
    qcd = struct.pack(">HB", 4, 0x40) + b"\x48"
    sot = struct.pack(">HHIBB", 10, 0, 14, 0, 1)
    return (b"\xff\x4f\xff\x51" + struct.pack(">H", len(siz) + 2) + siz + b"\xff\x52" + cod +
            b"\xff\x5c" + qcd + b"\xff\x90" + sot + b"\xff\x93\xff\xd9")

# 65535 one-pixel tiles: gigabytes of per-tile bookkeeping, at 64 and at 4 components.
open(out + "/seed_hostile_tiles64.j2k", "wb").write(j2k(65535, 1, 1, [1] * 64))
open(out + "/seed_hostile_tiles4.j2k", "wb").write(j2k(65535, 1, 1, [1] * 4))
# The first component subsampled 255 times looks small; the other two are 40000 x 40000.
open(out + "/seed_hostile_subsampled.j2k", "wb").write(j2k(40000, 40000, 40000, [255, 1, 1]))
# Frame sizes near 2^32, whose tile count or pixel count overflows 64 bits when
# multiplied plainly: bare, and in a JP2 file.
def jp2(codestream):
    def box(kind, data):
        return struct.pack(">I", len(data) + 8) + kind + data
    return (box(b"jP  ", b"\r\n\x87\n") + box(b"ftyp", b"jp2 \0\0\0\0jp2 ") + box(b"jp2c", codestream))
near = 0xFFFFFFFF
for name, stream in (("tiles", j2k(near, near, 1, [1])), ("pixels", j2k(near, near, near, [1, 1, 1]))):
    open(out + "/seed_overflow_" + name + ".j2k", "wb").write(stream)
    open(out + "/seed_overflow_" + name + ".jp2", "wb").write(jp2(stream))

# An 8000 x 8000 progressive JPEG of 3000 empty scans, each a pass over the picture.
def seg(marker, body):
    return b"\xff" + bytes([marker]) + struct.pack(">H", len(body) + 2) + body
jpeg = (b"\xff\xd8" + seg(0xDB, b"\x00" + bytes([1] * 64)) +
        seg(0xC2, struct.pack(">BHHB", 8, 8000, 8000, 1) + b"\x01\x11\x00") +
        seg(0xC4, b"\x00" + bytes([1] + [0] * 15) + b"\x00") +
        seg(0xDA, b"\x01\x01\x00\x00\x00\x00") * 3000 + b"\xff\xd9")
open(out + "/seed_hostile_scans.jpg", "wb").write(jpeg)

def png(w, h, depth, colour, row):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    ihdr = struct.pack(">IIBBBBB", w, h, depth, colour, 0, 0, 0)
    raw = zlib.compress((b"\x00" + row) * h, 9)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", raw) + chunk(b"IEND", b"")

# 16-bit RGBA, 8 bytes a pixel if held at full depth.
open(out + "/seed_hostile_rgba16.png", "wb").write(png(1500, 1000, 16, 6, b"\x80\x00\x40\x00\x20\x00\xff\xff" * 1500))
# One pixel wide: cover-scaled, 420 x 294000.
open(out + "/seed_hostile_thin.png", "wb").write(png(1, 700, 8, 2, b"\x20\x80\xc0"))
PY
