#!/bin/sh
# Seeds for the picture fuzzer: the framework's small test pictures and a few more
# encodings of the same picture, each a few kilobytes at most. Needs ImageMagick.
# The files in corpus/ not named seed_* are inputs the fuzzer itself found to reach
# new code (kept with -merge=1); every one of them decodes, or is refused, cleanly.
set -eu
cd "$(dirname "$0")"
DATA=../framework/testdata
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
