#!/usr/bin/env bash
# kvpack animate: a whole transition through the player, frame by frame.
. "$(dirname "$0")/lib.sh"

common=(--style 60 --step 4 --delay 0 --size 64x48 --old '#102030' --new coords)
"$KVPACK" render --style 60 --progress 100 --size 64x48 --new coords --out "$WORK/new.png" || fail "render new"
"$KVPACK" render --style 60 --progress 0 --size 64x48 --old '#102030' --out "$WORK/old.png" || fail "render old"

for mode in threaded inline; do
  extra=(); [ $mode = inline ] && extra=(--inline)
  out=$WORK/$mode
  series=$("$KVPACK" animate "${common[@]}" "${extra[@]}" --out "$out/fwd" --sheet "$out/sheet.png") || fail "$mode: forward run"
  check "$mode: forward series" [ "$series" = "$(seq -s ' ' 4 4 100)" ]
  check "$mode: 25 frames" [ "$(ls "$out/fwd" | wc -l)" -eq 25 ]
  check "$mode: frame names" [ -f "$out/fwd/frame-001.png" ] && [ -f "$out/fwd/frame-025.png" ]
  check "$mode: last frame is the new picture" cmp -s "$out/fwd/frame-025.png" "$WORK/new.png"
  cmp -s "$out/fwd/frame-001.png" "$WORK/new.png" && fail "$mode: the first frame is already the new picture"
  check "$mode: contact sheet" [ -s "$out/sheet.png" ]

  series=$("$KVPACK" animate "${common[@]}" "${extra[@]}" --reverse --out "$out/rev") || fail "$mode: reverse run"
  check "$mode: reverse series" [ "$series" = "$(seq -s ' ' 96 -4 0)" ]
  check "$mode: reverse ends on the old picture" cmp -s "$out/rev/frame-025.png" "$WORK/old.png"
done

series=$("$KVPACK" animate --style 1 --step 3 --delay 0 --size 40x30 --out "$WORK/three") || fail "step 3 run"
check "step 3 series" [ "$series" = "$(seq -s ' ' 3 3 99) 100" ]

expect_failure "missing --out" "--out" animate --style 60
expect_failure "style out of range" "--style" animate --style 151 --out "$WORK/out/f"
expect_failure "bad step" "--step" animate --style 60 --step 0 --out "$WORK/out/f"
expect_failure "sheet not png" "--sheet" animate --style 60 --out "$WORK/out/f" --sheet "$WORK/out/s.jpg"
expect_failure "missing picture" "$WORK/none.jpg" animate --style 60 --new "$WORK/none.jpg" --out "$WORK/out/f"
expect_failure "sheet folder missing" "sheet" animate --style 60 --delay 0 --size 40x30 --out "$WORK/out/f" \
  --sheet "$WORK/out/no/such/sheet.png"

finish
