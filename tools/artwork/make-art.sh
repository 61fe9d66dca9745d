#!/usr/bin/env bash
# Regenerates the installer's artwork and the program icons in art/ with kvart, from the
# mate-backgrounds photographs:
#   installer-face.jpg                         the installer window's face (450x304)
#   install-normal/over/down.bmp               the image button's pictures (28x9)
#   installer.ico, showcase.ico                the program icons
#   installer-icon32.bmp                       the 32x32 icon picture of the window
# usage: tools/artwork/make-art.sh [KVART]   (default build/native/bin/kvart)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
kvart=${1:-$root/build/native/bin/kvart}
photos=/usr/share/backgrounds/mate/nature
out=$root/art
mkdir -p "$out"
"$kvart" installer-face --backdrop "$photos/Storm.jpg" --landscape "$photos/Dune.jpg" --out "$out/installer-face.jpg"
"$kvart" installer-words --face "$out/installer-face.jpg" --out-dir "$out"
"$kvart" icons --photo "$photos/Dune.jpg" --out-dir "$out"
