#!/usr/bin/env bash
# Our transition styles beside ffmpeg's xfade filter on the transitions both have, per
# frame at 1920x1080 on one thread.
#
# ffmpeg: two generated 1920x1080 inputs (planar RGB, 100 frames each) go through xfade
# over all 100 frames; the same pipeline without xfade (both inputs produced, one passed
# on) is timed too and subtracted, so what remains is xfade's own cost. Best of five.
# Ours: the median frame of each style over progress 1..99 from kv_bench.
# usage: bench/xfade.sh [KV_BENCH]   (./run bench-xfade installs ffmpeg and runs this)
set -euo pipefail
BENCH=${1:-build/native/bin/kv_bench}
FRAMES=100
# xfade transition, our style
PAIRS="fade:118 wipeleft:6 wiperight:5 wipeup:23 wipedown:22 slideleft:3 slideright:4 slideup:20
slidedown:21 circleopen:84 circleclose:85 diagtl:110 diagtr:111 diagbl:112 diagbr:113"

# One picture each, converted once and repeated by reference, so that producing the
# inputs costs little beside the filter itself.
inputs=(-f lavfi -i "testsrc2=s=1920x1080:r=25:d=0.04,format=gbrp,loop=loop=$((FRAMES - 1)):size=1,setpts=N/25/TB"
        -f lavfi -i "smptehdbars=s=1920x1080:r=25:d=0.04,format=gbrp,loop=loop=$((FRAMES - 1)):size=1,setpts=N/25/TB")
# CPU seconds (user + system) of one ffmpeg run on one thread.
cpu_seconds() {
  local out
  out=$( { /usr/bin/time -f '%U %S' ffmpeg -nostdin -hide_banner -loglevel error -threads 1 \
      -filter_threads 1 -filter_complex_threads 1 "${inputs[@]}" -filter_complex "$1" \
      -f null - ; } 2>&1 >/dev/null | tail -n 1)
  awk -v u="${out% *}" -v s="${out#* }" 'BEGIN { printf "%.4f", u + s }'
}
best_of_three() {
  local best=999999 t
  for _ in 1 2 3 4 5; do
    t=$(cpu_seconds "$1")
    best=$(awk -v a="$best" -v b="$t" 'BEGIN { print (b < a) ? b : a }')
  done
  echo "$best"
}

base=$(best_of_three "[1]nullsink;[0]null")
styles=$(for p in $PAIRS; do printf '%s|' "${p#*:}"; done)
json=$(mktemp)
trap 'rm -f "$json"' EXIT
"$BENCH" --benchmark_filter="^Styles/(${styles%|})/" --benchmark_format=json >"$json" 2>/dev/null

printf '%-12s %12s   %-42s %10s %9s\n' "xfade" "ffmpeg ms" "our style" "ours ms" "faster"
for p in $PAIRS; do
  name=${p%:*} style=${p#*:}
  t=$(best_of_three "[0][1]xfade=transition=$name:duration=$((FRAMES / 25)):offset=0")
  ff=$(awk -v t="$t" -v b="$base" -v n=$FRAMES 'BEGIN { printf "%.2f", (t - b) * 1000 / n }')
  read -r ours label < <(python3 - "$json" "$style" <<'PY'
import json, sys
data = json.load(open(sys.argv[1]))
for b in data["benchmarks"]:
    if b["name"].startswith("Styles/%s/" % sys.argv[2]) or b["name"] == "Styles/%s" % sys.argv[2]:
        print("%.2f %s" % (b["frame_ms"], b.get("label", "")))
        break
PY
)
  printf '%-12s %12s   %-42s %10s %8sx\n' "$name" "$ff" "$style ${label}" "$ours" \
    "$(awk -v a="$ff" -v b="$ours" 'BEGIN { printf "%.1f", (b > 0) ? a / b : 0 }')"
done
echo "(ffmpeg input production: $(awk -v b="$base" -v n=$FRAMES 'BEGIN { printf "%.2f", b * 1000 / n }') ms a frame, subtracted)"
