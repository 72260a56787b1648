#!/usr/bin/env bash
# Prints the README's speed table: every figure beside its reference, measured in
# the same run, as medians of interleaved runs (ours, reference, ours, ...).
#
#   bench/run_all.sh [build folder, default build-bench] [runs, default 11]
#
# The build folder is one configured with -DSTAMPORA_BENCH=ON, Release, and built.
# Whole-process figures need an X server; without DISPLAY the script starts one
# with xvfb-run. Nothing else should be running on the machine meanwhile.
set -euo pipefail

BUILD=${1:-build-bench}
RUNS=${2:-11}
BUILD=$(cd "$BUILD" && pwd)
STAMPORA=$BUILD/Stampora/bin/stampora
WATCH=$BUILD/bench/first_paint_watch
FLOOR=$BUILD/bench/floor_window
IMAGES=$BUILD/bench/images
for f in "$STAMPORA" "$WATCH" "$FLOOR" "$BUILD/bench/inprocess_bench" "$IMAGES/photo_6000x4000.png"; do
  [[ -e $f ]] || { echo "missing $f: configure with -DSTAMPORA_BENCH=ON and build first" >&2; exit 2; }
done
command -v vipsthumbnail >/dev/null || { echo "vipsthumbnail missing: scripts/install-deps.sh --bench" >&2; exit 2; }

if [[ -z ${DISPLAY:-} ]]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$BUILD" "$RUNS"
fi

SCRATCH=$(mktemp -d)
trap 'rm -rf "$SCRATCH"' EXIT
# The programs run with a home of their own, so that no setting of the user's
# changes what they do.
export HOME=$SCRATCH/home XDG_RUNTIME_DIR=$SCRATCH/runtime
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# field <name> <watch output>: one value of the watcher's line.
field() { sed -n "s/.*$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

# pair <label> <field> <unit> <runs> <target> <reference text> :: ours... :: reference...
# Each side is a watcher command line; the two alternate, `runs` times each.
pair() {
  local label=$1 name=$2 unit=$3 runs=$4 target=$5 reftext=$6
  shift 7
  local ours=() ref=()
  while [[ $1 != :: ]]; do ours+=("$1"); shift; done
  shift
  ref=("$@")
  : >"$SCRATCH/a"
  : >"$SCRATCH/b"
  for ((i = 0; i < runs; i++)); do
    field "$name" "$("$WATCH" "${ours[@]}" 2>/dev/null)" >>"$SCRATCH/a"
    field "$name" "$("$WATCH" "${ref[@]}" 2>/dev/null)" >>"$SCRATCH/b"
  done
  local a b
  a=$(median <"$SCRATCH/a")
  b=$(median <"$SCRATCH/b")
  awk -v l="$label" -v a="$a" -v b="$b" -v u="$unit" -v t="$target" -v r="$reftext" 'BEGIN {
    if (u == "MB") { a /= 1024; b /= 1024 }
    fmt = (u == "MB") ? "%.0f" : "%.2f"
    printf "| %s | " fmt " %s | %s " fmt " %s | %.2f | at most %s |\n", l, a, u, r, b, u, a / b, t
  }'
}

JPEG=$IMAGES/photo_6000x4000.jpg
PNG=$IMAGES/photo_6000x4000.png
# vipsthumbnail to the cover size the composer stores a 6000 x 4000 photo at.
VIPS=(vipsthumbnail --size 474x316 -o "$SCRATCH/thumb_%s.v")

echo "| measure | ours | reference | ratio | target |"
echo "|---|---|---|---|---|"
pair "start to first painted window" paint_ms ms "$RUNS" 1.5 \
  "minimal Qt 6 Widgets window of the same size," :: \
  -- "$STAMPORA" :: -- "$FLOOR"
pair "program CPU per caption keystroke under X" key_cpu_ms ms 5 1.5 \
  "minimal Qt window with one \`QLineEdit\`," :: \
  --keys 200 -- "$STAMPORA" :: --keys 200 -- "$FLOOR" --line-edit
pair "start to settled card with a 6000 x 4000 JPEG" paint_ms ms "$RUNS" 0.95 \
  "\`vipsthumbnail\` of that file to the cover size, whole process," :: \
  --settled --settle 300 -- "$STAMPORA" "$JPEG" :: --no-window -- "${VIPS[@]}" "$JPEG"
pair "peak memory opening a 6000 x 4000 PNG" maxrss_kb MB 5 1.2 \
  "\`vipsthumbnail\`," :: \
  -- "$STAMPORA" "$PNG" :: --no-window -- "${VIPS[@]}" "$PNG"
QT_QPA_PLATFORM=offscreen "$BUILD/bench/inprocess_bench" "$IMAGES" "$RUNS" 2>/dev/null
