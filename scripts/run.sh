#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments are passed
# on: a picture file named here opens as the card's photo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTAMPORA_TESTS=OFF
cmake --build build --target stampora
exec build/Stampora/bin/stampora "$@"
