#!/usr/bin/env bash
# kvpack frame: the painted frame and the margins it prints, and its refusals.
. "$(dirname "$0")/lib.sh"

convert -size 38x38 gradient:'#804020'-'#20C0E0' BMP3:"$WORK/tile.bmp"
convert "$WORK/tile.bmp" "$WORK/tile.png"
convert -size 40x30 xc:red BMP3:"$WORK/oblong.bmp"
printf 'not a picture' >"$WORK/junk.bmp"

px() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
size() { identify -format '%wx%h' "$1"; }

# The 1280x1024 screen with the 1024x768 design: ring from (146,132) to (1133,891).
out=$WORK/frame.png
margins=$("$KVPACK" frame --tile "$WORK/tile.bmp" --screen 1280x1024 --design 1024x768 --out "$out")
check "example margins: $margins" [ "$margins" = "184 170 184 170" ]
check "example size" [ "$(size "$out")" = 1280x1024 ]
black=$(px "$out" 0 0)
check "black screen corner" [ "$(px "$out" 1279 1023)" = "$black" ]
corner=$(px "$WORK/tile.bmp" 0 0)
check "top-left corner starts at (146,132)" [ "$(px "$out" 146 132)" = "$corner" ]
check "nothing left of x 146" [ "$(px "$out" 145 132)" = "$black" ]
check "nothing above y 132" [ "$(px "$out" 146 131)" = "$black" ]
check "inner edge of the left column at x 183" [ "$(px "$out" 183 400)" != "$black" ]
check "show area starts at (184,170)" [ "$(px "$out" 184 170)" = "$black" ]
check "show area ends at (1095,853)" [ "$(px "$out" 1095 853)" = "$black" ]
check "right column starts at x 1096" [ "$(px "$out" 1096 400)" != "$black" ]
check "bottom row starts at y 854" [ "$(px "$out" 600 854)" != "$black" ]
check "ring ends at (1133,891)" [ "$(px "$out" 1133 891)" != "$black" ]
check "nothing right of x 1133" [ "$(px "$out" 1134 891)" = "$black" ]
check "nothing below y 891" [ "$(px "$out" 1133 892)" = "$black" ]

# A PNG tile paints the same frame as its bitmap.
"$KVPACK" frame --tile "$WORK/tile.png" --screen 1280x1024 --design 1024x768 --out "$WORK/frame-png.png" >/dev/null
check "PNG tile paints the same frame" cmp -s "$out" "$WORK/frame-png.png"

# Odd sizes: 257 spare columns, 258 spare rows, 767 mod 38 = 7 (3 above, 4 below).
margins=$("$KVPACK" frame --tile "$WORK/tile.bmp" --screen 1281x1025 --design 1024x767 --out "$WORK/odd.png")
check "odd margins: $margins" [ "$margins" = "184 170 184 171" ]
check "odd size" [ "$(size "$WORK/odd.png")" = 1281x1025 ]
check "bottom row at y 854" [ "$(px "$WORK/odd.png" 600 854)" != "$black" ]
check "show area ends at y 853" [ "$(px "$WORK/odd.png" 600 853)" = "$black" ]

O=$WORK/out/f.png
expect_failure "tile not square" "square" frame --tile "$WORK/oblong.bmp" --screen 1280x1024 --design 1024x768 --out "$O"
expect_failure "missing tile" "$WORK/none.bmp" frame --tile "$WORK/none.bmp" --screen 1280x1024 --design 1024x768 --out "$O"
expect_failure "tile not a picture" "$WORK/junk.bmp" frame --tile "$WORK/junk.bmp" --screen 1280x1024 --design 1024x768 --out "$O"
expect_failure "design larger than screen" "--design" frame --tile "$WORK/tile.bmp" --screen 1024x768 --design 1280x1024 --out "$O"
expect_failure "bad screen size" "--screen" frame --tile "$WORK/tile.bmp" --screen 1280 --design 1024x768 --out "$O"
expect_failure "no output" "--out" frame --tile "$WORK/tile.bmp" --screen 1280x1024 --design 1024x768
expect_failure "unknown output format" "--out" frame --tile "$WORK/tile.bmp" --screen 1280x1024 --design 1024x768 --out "$WORK/out/f.gif"
expect_failure "output folder missing" "$WORK/out/no/f.png" frame --tile "$WORK/tile.bmp" --screen 1280x1024 \
  --design 1024x768 --out "$WORK/out/no/f.png"

finish
