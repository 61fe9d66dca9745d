#!/usr/bin/env bash
# kvpack build, inspect and extract on real photographs.
. "$(dirname "$0")/lib.sh"

printf 'MZ stand-in program\0\1\2' >"$WORK/program.exe"
mapfile -t photos < <(ls "$PHOTOS"/*.jpg | sort)
[ ${#photos[@]} -ge 5 ] || { echo "the mate-backgrounds photographs are missing"; exit 1; }
printf 'ID3 not really music' >"$WORK/song one.mp3"
printf 'MThd' >"$WORK/tune.mid"

# --no-resize: the stored pictures are the original files, byte for byte.
check "build --no-resize" "$KVPACK" build --out "$WORK/Show.scr" --program "$WORK/program.exe" \
  --pictures "${photos[@]:0:5}" --music "$WORK/song one.mp3" "$WORK/tune.mid" \
  --no-resize --interval 6 --quit click --design 1280x1024
check "the program comes first" cmp -n "$(stat -c %s "$WORK/program.exe")" "$WORK/program.exe" "$WORK/Show.scr"
check "trailer is KVQ1" [ "$(tail -c 8 "$WORK/Show.scr" | head -c 4)" = "KVQ1" ]
check "extract" "$KVPACK" extract "$WORK/Show.scr" "$WORK/x" >/dev/null 2>&1
for i in 0 1 2 3 4; do
  check "kvpic$i.jpg is ${photos[$i]}" cmp "${photos[$i]}" "$WORK/x/kvpic$i.jpg"
done
check "kvclip0.mp3" cmp "$WORK/song one.mp3" "$WORK/x/kvclip0.mp3"
check "kvclip1.mid" cmp "$WORK/tune.mid" "$WORK/x/kvclip1.mid"
check "nothing else extracted" [ "$(ls "$WORK/x" | wc -l)" -eq 7 ]

# inspect shows the layout: settings first, one effect-flags record, music in index
# order, the pictures, the end record last.
"$KVPACK" inspect "$WORK/Show.scr" >"$WORK/inspect.txt" || fail "inspect exit status"
tags=$(awk '/^records:/{on=1;next} /^settings:/{on=0} on && $1 ~ /^[0-9]+$/ {print $3}' "$WORK/inspect.txt" | tr '\n' ' ')
check "record order ($tags)" [ "$tags" = "settings effect-flags music music picture picture picture picture picture end " ]
grep -q 'QuitMode *2' "$WORK/inspect.txt" || fail "inspect: QuitMode 2"
grep -q 'IntervalSeconds *6' "$WORK/inspect.txt" || fail "inspect: IntervalSeconds 6"
grep -q 'DesignWidth *1280' "$WORK/inspect.txt" || fail "inspect: DesignWidth 1280"
grep -q 'PictureCount *5' "$WORK/inspect.txt" || fail "inspect: PictureCount 5"
grep -q '^usable styles (' "$WORK/inspect.txt" || fail "inspect: usable styles"
if grep -qE '^usable styles .*[: ](0|7|9|119|120) ' "$WORK/inspect.txt"; then fail "excluded or custom styles enabled"; fi

# Default: pictures re-encoded to fit the design size; PNG and BMP accepted; frame tile
# stored as a Windows bitmap.
convert -size 40x40 xc:'#336699' "$WORK/tile.png"
convert "${photos[0]}" -resize "300x200!" "$WORK/small.bmp"
convert "${photos[1]}" -resize 2000x2000 "$WORK/big.png"
check "build resized" "$KVPACK" build --out "$WORK/Fit.scr" --program "$WORK/program.exe" \
  --pictures "$WORK/small.bmp" "$WORK/big.png" "${photos[2]}" --design 800x600 --frame "$WORK/tile.png" \
  --use-frame --effects 1-6,80
check "extract resized" "$KVPACK" extract "$WORK/Fit.scr" "$WORK/fit" >/dev/null 2>&1
for f in kvpic0.jpg kvpic1.jpg kvpic2.jpg; do
  check "$f is a JPEG" [ "$(identify -format %m "$WORK/fit/$f")" = "JPEG" ]
  read -r w h < <(identify -format '%w %h' "$WORK/fit/$f")
  check "$f ($w x $h) fits 800x600" [ "$w" -le 800 ] && [ "$h" -le 600 ]
done
check "a small picture keeps its size" [ "$(identify -format '%wx%h' "$WORK/fit/kvpic0.jpg")" = "300x200" ]
check "Frame.jpg is a BMP" [ "$(head -c 2 "$WORK/fit/Frame.jpg")" = "BM" ]
check "Frame.jpg is 40x40" [ "$(identify -format '%wx%h' "BMP:$WORK/fit/Frame.jpg")" = "40x40" ]
"$KVPACK" inspect "$WORK/Fit.scr" >"$WORK/fit.txt"
grep -q '^usable styles (7): 1 2 3 4 5 6 80$' "$WORK/fit.txt" || fail "styles 1-6,80: $(grep usable "$WORK/fit.txt")"
grep -q 'UseFrame *1' "$WORK/fit.txt" || fail "UseFrame 1"

# A file without a package.
"$KVPACK" inspect "$WORK/program.exe" >"$WORK/none.txt" 2>&1
check "inspect without a package exits 1" [ $? -eq 1 ]
grep -q 'no screensaver package' "$WORK/none.txt" || fail "inspect without package says so"
"$KVPACK" extract "$WORK/program.exe" "$WORK/nothing" >/dev/null 2>&1
check "extract without a package exits 1" [ $? -eq 1 ]
check "extract without a package makes no folder" [ ! -e "$WORK/nothing" ]

finish
