#!/usr/bin/env bash
# kvpack build refuses bad input with one line naming the culprit and writes nothing.
. "$(dirname "$0")/lib.sh"

printf 'MZ' >"$WORK/program.exe"
photo=$(ls "$PHOTOS"/*.jpg | head -n 1)
printf 'not a picture at all' >"$WORK/broken.jpg"
printf '\377\330\377\340 truncated' >"$WORK/cut.jpg"
convert -size 40x30 xc:red "$WORK/oblong.png"
mkdir -p "$WORK/many"
for i in $(seq 0 256); do ln -s "$photo" "$WORK/many/p$(printf %03d "$i").jpg"; done
OUT=$WORK/out/S.scr
base=(build --out "$OUT" --program "$WORK/program.exe")

expect_failure "missing picture" "$WORK/nope.jpg" "${base[@]}" --pictures "$WORK/nope.jpg"
expect_failure "undecodable picture" "$WORK/broken.jpg" "${base[@]}" --pictures "$photo" "$WORK/broken.jpg"
expect_failure "truncated JPEG" "$WORK/cut.jpg" "${base[@]}" --pictures "$WORK/cut.jpg"
expect_failure "truncated JPEG kept as is" "$WORK/cut.jpg" "${base[@]}" --pictures "$WORK/cut.jpg" --no-resize
expect_failure "PNG with --no-resize" "$WORK/oblong.png" "${base[@]}" --pictures "$WORK/oblong.png" --no-resize
expect_failure "unknown --quit" "--quit" "${base[@]}" --pictures "$photo" --quit sometimes
expect_failure "bad --design" "--design" "${base[@]}" --pictures "$photo" --design 800by600
expect_failure "bad --interval" "--interval" "${base[@]}" --pictures "$photo" --interval -3
expect_failure "excluded style" "style 7" "${base[@]}" --pictures "$photo" --effects 7
expect_failure "style out of range" "--effects" "${base[@]}" --pictures "$photo" --effects 1-130
expect_failure "unknown option" "--colour" "${base[@]}" --pictures "$photo" --colour red
expect_failure "non-square tile" "$WORK/oblong.png" "${base[@]}" --pictures "$photo" --frame "$WORK/oblong.png"
expect_failure "too many pictures" "at most 256" "${base[@]}" --pictures "$WORK/many"
expect_failure "missing program" "$WORK/noprog.exe" build --out "$OUT" --program "$WORK/noprog.exe" --pictures "$photo"
expect_failure "pictures and Flash" "either" "${base[@]}" --pictures "$photo" --flash "$WORK/a.swf"
printf x >"$WORK/noext"
expect_failure "music without extension" "$WORK/noext" "${base[@]}" --pictures "$photo" --music "$WORK/noext"
expect_failure "not a Flash movie" "$WORK/broken.jpg" "${base[@]}" --flash "$WORK/broken.jpg"
expect_failure "output folder missing" "$WORK/out/missing/S.scr" build --out "$WORK/out/missing/S.scr" \
  --program "$WORK/program.exe" --pictures "$photo"

finish
