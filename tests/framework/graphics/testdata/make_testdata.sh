#!/bin/sh
# Makes the small picture files the framework's picture tests read. Run it from
# anywhere; it writes beside itself. Needs ImageMagick's convert (with its PICT and
# JPEG 2000 coders), libtiff's tiffcp and python3.
set -eu
cd "$(dirname "$0")"

IM="convert -define png:exclude-chunks=date,time"

# 64 x 48 in four quadrants: red top left, lime top right, blue bottom left,
# yellow bottom right, so that a test can tell every orientation apart.
$IM -size 32x24 xc:red xc:lime +append \( -size 32x24 xc:blue xc:yellow +append \) -append \
    -strip PNG24:quadrants.png
$IM quadrants.png -strip -quality 95 -sampling-factor 1x1 quadrants.jpg
$IM quadrants.png -strip -colorspace CMYK -quality 95 quadrants_cmyk.jpg
$IM quadrants.png -strip -depth 16 PNG48:quadrants16.png
$IM quadrants.png -strip quadrants.gif
$IM quadrants.png -strip BMP3:quadrants.bmp
$IM quadrants.png -strip -compress lzw quadrants.tif
# TIFF in the forms its decoder reads differently: big-endian, tiled, in separate
# planes, as subsampled JPEG (YCbCr), at 16 bits, turned by its orientation tag (the
# pixels stay upright, the tag says a quarter turn clockwise) and with alpha.
tiffcp -B -c zip quadrants.tif quadrants_mm.tif
$IM quadrants.png -strip -define tiff:tile-geometry=16x16 -compress zip quadrants_tiled.tif
$IM quadrants.png -strip -interlace plane -compress lzw quadrants_planes.tif
tiffcp -c jpeg:95 -r 16 quadrants.tif quadrants_jpeg.tif
$IM quadrants16.png -strip -depth 16 -compress zip quadrants16.tif
$IM quadrants.png -strip -orient RightTop -compress lzw orient6.tif
$IM quadrants.png -strip -define quantum:format=floating-point -depth 32 -compress zip quadrants_float.tif
$IM quadrants.png -strip PICT:quadrants.pict
# 200 x 700 of indexed colours, every row different; the program reads it in bands
# of rows.
$IM -size 200x700 xc:black -channel R -fx "(j%256)/255" -channel G -fx "(floor(i/30)*25)/255" \
    -channel B -fx "(floor(j/7)%256)/255" +channel +dither -colors 200 -strip PICT:palette_rows.pict
$IM quadrants.png -strip -quality 0 quadrants.jp2
$IM quadrants.png -strip -quality 0 quadrants.j2k

# Large enough to be decoded lazily, small on disk: a 2000 x 1200 JPEG 2000 of the
# same four quadrants.
$IM quadrants.png -strip -filter point -resize 2000x1200! -quality 40 large_quadrants.jp2

# JPEG 2000 of low precision, 3 x 2 grey: 1-bit samples 1 0 1 / 0 1 1 and 4-bit
# samples 15 0 5 / 10 15 15 (opj_compress is in libopenjp2-tools; ImageMagick rounds
# such depths up).
printf '\001\000\001\000\001\001' > gray1.raw && opj_compress -n 1 -F 3,2,1,1,u -i gray1.raw -o gray1.jp2
printf '\017\000\005\012\017\017' > gray4.raw && opj_compress -n 1 -F 3,2,1,4,u -i gray4.raw -o gray4.jp2
rm -f gray1.raw gray4.raw

# Half transparent: the left half clear, the right half opaque blue.
$IM -size 8x8 xc:none \( -size 8x8 xc:blue \) +append -strip PNG32:alpha.png
$IM alpha.png -strip -compress zip alpha.tif

# Two frames, red then blue.
$IM -delay 10 -size 16x16 xc:red xc:blue -strip animated.gif

$IM -size 1x1 xc:'#336699' -strip PNG24:one_pixel.png
$IM -size 1x1 xc:'#336699' -strip -quality 95 one_pixel.jpg

python3 - <<'PY'
import struct, zlib

def exif_orientation(value):
    # A big-endian TIFF header and one IFD holding the orientation tag (0x0112).
    ifd = struct.pack(">H", 1) + struct.pack(">HHIHH", 0x0112, 3, 1, value, 0) + struct.pack(">I", 0)
    tiff = b"MM\x00\x2a" + struct.pack(">I", 8) + ifd
    body = b"Exif\x00\x00" + tiff
    return b"\xff\xe1" + struct.pack(">H", len(body) + 2) + body

jpeg = open("quadrants.jpg", "rb").read()
for value in (2, 3, 6, 8):
    open("orient%d.jpg" % value, "wb").write(jpeg[:2] + exif_orientation(value) + jpeg[2:])

# Cut inside the entropy-coded data: the headers whole, the end missing.
open("truncated.jpg", "wb").write(jpeg[: len(jpeg) - 24])
open("empty.jpg", "wb").write(b"")
open("text.png", "wb").write(b"This is a text file, not a picture.\n")

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

# A well-formed PNG whose header claims 100000 x 100000 pixels.
ihdr = struct.pack(">IIBBBBB", 100000, 100000, 8, 2, 0, 0, 0)
png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(b"\x00" * 64)) + chunk(b"IEND", b"")
open("huge_header.png", "wb").write(png)

pict = open("quadrants.pict", "rb").read()
# The header intact, the drawing opcodes garbled.
body = bytearray(pict)
for i in range(560, len(body), 3):
    body[i] = (body[i] * 7 + 0x5A) & 0xFF
open("corrupt.pict", "wb").write(bytes(body))

jp2 = open("large_quadrants.jp2", "rb").read()
open("truncated.jp2", "wb").write(jp2[: len(jp2) * 2 // 3])
PY
