#!/bin/sh
# Makes the large photos the picture benchmarks read, into the folder given (the
# build's bench/images). They are tens of megabytes, so they are made, never
# committed. Needs ImageMagick's convert with its JPEG 2000 coder.
set -eu
OUT=${1:?usage: make_bench_images.sh <folder>}
mkdir -p "$OUT"
# Debian's own name for ImageMagick's convert, which another "convert" on the path
# cannot shadow.
CONVERT=$(command -v convert-im6.q16 || echo convert)
# A fractal plasma has the fine detail and noise of a real photo, so the decoders
# work as hard as on one; the seed keeps it the same on every machine.
"$CONVERT" -seed 20240601 -size 6000x4000 plasma:fractal -strip -quality 90 \
    -sampling-factor 2x2 "$OUT/photo_6000x4000.jpg"
"$CONVERT" "$OUT/photo_6000x4000.jpg" -strip -define png:exclude-chunks=date,time \
    PNG24:"$OUT/photo_6000x4000.png"
"$CONVERT" "$OUT/photo_6000x4000.jpg" -strip -resize 4000x3000! -quality 40 \
    "$OUT/photo_4000x3000.jp2"
