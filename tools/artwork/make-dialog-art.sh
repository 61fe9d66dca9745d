#!/bin/bash
# Makes the configuration dialog's artwork with kvart: the default skin art/swing.mskn
# and the Decorate page's frame tile and framed sample.
#   tools/artwork/make-dialog-art.sh [PHOTO]
# PHOTO (default: a photograph of the mate-backgrounds package) fills the framed sample.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
photo=${1:-/usr/share/backgrounds/mate/nature/Garden.jpg}
cd "$root"
flock build/.lock cmake --build build/native --target kvart -- -j2 >/dev/null
kvart=build/native/bin/kvart
"$kvart" skin --out art/swing.mskn
"$kvart" decorate --photo "$photo" --tile art/decorate-tile.bmp --sample art/decorate-sample.bmp
echo "made art/swing.mskn, art/decorate-tile.bmp, art/decorate-sample.bmp"
