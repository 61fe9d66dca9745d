#!/usr/bin/env bash
# The show area on a 1280x1024 display for a 1024x768 design: without a frame it is
# 1024x768 at (128,128) with black all around; with a 38x38 frame tile it is 912x684 at
# (184,170) inside the painted frame. The next picture replaces the first one.
set -uo pipefail
. "$(dirname "$0")/gui-lib.sh"
gui_init "$@"
[ "$SCREEN_W" = 1280 ] && [ "$SCREEN_H" = 1024 ] || { echo "needs a 1280x1024 display, not ${SCREEN_W}x$SCREEN_H"; exit 1; }

# All four inner edge lines of the area X Y W H show picture (not black).
edges_filled() {
  local f=$1 x=$2 y=$3 w=$4 h=$5
  not_black "$f" "$x" "$y" 1 "$h" && not_black "$f" $((x + w - 1)) "$y" 1 "$h" &&
    not_black "$f" "$x" "$y" "$w" 1 && not_black "$f" "$x" $((y + h - 1)) "$w" 1
}
# Takes screenshots until the area X Y W H is filled to its edges; LAST is the file.
wait_filled() {
  local name=$1; shift
  LAST=$(shot "$name") && edges_filled "$LAST" "$@"
}
# Takes screenshots until the area differs from FIRST.
wait_changed() {
  local first=$1 name=$2; shift 2
  LAST=$(shot "$name") && differs "$first" "$LAST" "$@"
}

# --- no frame: area 1024x768 at (128,128)
scr=$(make_saver plain --design 1024x768 --interval 3 --quit none) || exit 1
if start_show "$scr"; then
  check "plain: the first picture reaches all four edges of 1024x768 at 128,128" \
    poll 15 wait_filled plain-first 128 128 1024 768
  first=$LAST
  for band in "0 0 1280 128" "0 896 1280 128" "0 128 128 768" "1152 128 128 768"; do
    # shellcheck disable=SC2086
    check "plain: black outside the area ($band)" is_black "$first" $band
  done
  check "plain: the next picture replaces the first" poll 15 wait_changed "$first" plain-next 128 128 1024 768
else
  fail "plain: no show window"
fi
stop_show

# --- frame tile 38x38: area 912x684 at (184,170), the frame's inner edges on its border
/usr/bin/convert -size 38x38 xc:'#c000c0' "$WORK/tile.png"
scr=$(make_saver framed --design 1024x768 --interval 3 --quit none --frame "$WORK/tile.png" --use-frame) || exit 1
if start_show "$scr"; then
  check "framed: the first picture reaches all four edges of 912x684 at 184,170" \
    poll 15 wait_filled framed-first 184 170 912 684
  f=$LAST
  # The frame's columns and rows of tiles: 38 pixels wide, ending where the area begins.
  for band in "146 170 38 684" "1096 170 38 684" "184 132 912 38" "184 854 912 38"; do
    # shellcheck disable=SC2086
    m=$(region_mean "$f" $band)
    check "framed: the frame band ($band) has the tile's colour, mean $m" near "$m" c000c0 40
  done
  # Just inside each edge is picture, not frame.
  for line in "184 170 1 684" "1095 170 1 684" "184 170 912 1" "184 853 912 1"; do
    # shellcheck disable=SC2086
    m=$(region_mean "$f" $line)
    check "framed: picture, not frame, on the area's edge ($line), mean $m" eval '! near "$m" c000c0 40'
  done
  check "framed: black outside the design area" is_black "$f" 0 0 1280 128
  check "framed: black outside the design area (left)" is_black "$f" 0 128 128 768
  check "framed: the next picture replaces the first" poll 15 wait_changed "$f" framed-next 184 170 912 684
else
  fail "framed: no show window"
fi
stop_show
finish
