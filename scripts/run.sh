#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Arguments are passed
# on: a picture file named here opens as the card's photo.
# The program starts in the folder this was run from, not in the checkout: that is
# where its first Open dialog looks and where relative picture names resolve.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd -P)"
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSTAMPORA_TESTS=OFF
cmake --build "$root/build" --target stampora
exec "$root/build/Stampora/bin/stampora" "$@"
