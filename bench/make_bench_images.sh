#!/bin/sh
# Makes the large photos the picture benchmarks read, into the folder given (the
# build's bench/images). They are tens of megabytes, so they are made, never
# committed. Needs ImageMagick's convert with its JPEG 2000 coder.
set -eu
OUT=${1:?usage: make_bench_images.sh <folder>}
mkdir -p "$OUT"
# A fractal plasma has the fine detail and noise of a real photo, so the decoders
# work as hard as on one; the seed keeps it the same on every machine.
convert -seed 20240601 -size 6000x4000 plasma:fractal -strip -quality 90 \
    -sampling-factor 2x2 "$OUT/photo_6000x4000.jpg"
convert "$OUT/photo_6000x4000.jpg" -strip -define png:exclude-chunks=date,time \
    PNG24:"$OUT/photo_6000x4000.png"
convert "$OUT/photo_6000x4000.jpg" -strip -resize 4000x3000! -quality 40 \
    "$OUT/photo_4000x3000.jp2"
