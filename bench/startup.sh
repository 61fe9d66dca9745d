#!/usr/bin/env bash
# Start-up and transition timings of the Windows build under Wine.
#   bench/startup.sh [RUNS]      (default 5 runs of each)
# 1. Start-up: a show of 100 photographs (the mate nature pictures repeated), from
#    CreateProcess until its show window is visible, beside an empty Windows program
#    (kvprobe empty) started the same way, on a 1280x1024 display; medians of RUNS runs.
# 2. One default transition (step 4, delay 40 ms) of a few styles on a 1920x1080 display:
#    wall time and CPU time of the process per transition (kvprobe transition-time).
# Needs build/win64/bin/{showcase.scr,kvprobe.exe} and build/native/bin/kvpack.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
bin=$root/build/win64/bin
kvpack=$root/build/native/bin/kvpack
wine_env=$root/tests/wine/wine-env.sh
state=$root/build/bench-wine
photos=/usr/share/backgrounds/mate/nature
show_class=${SHOW_CLASS:-KestrelviewWindow}
for need in "$bin/showcase.scr" "$bin/kvprobe.exe" "$kvpack"; do
  [ -f "$need" ] || { echo "missing $need"; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/kvbench.XXXXXX")
cleanup() { "$wine_env" stop "$state" >/dev/null 2>&1; rm -rf "$work"; }
trap cleanup EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
probe() { "$wine_env" run "$state" "$bin/kvprobe.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Starts PROGRAM ARGS through kvprobe start-time RUNS times, closing the program's window
# after each start; prints one time (ms) per line.
time_starts() {
  local class=$1; shift
  local i out ms pid hwnd
  for i in $(seq "$runs"); do
    out=$(probe start-time --class "$class" --timeout 60000 -- "$@") || { echo "start $i failed: $out" >&2; continue; }
    ms=$(sed -n 1p <<<"$out") pid=$(sed -n 2p <<<"$out")
    echo "$ms"
    hwnd=$(probe wait-window --class "$class" --pid "$pid" --timeout 5000 | cut -f1)
    [ -n "$hwnd" ] && probe send-syscommand "$hwnd" F060 >/dev/null  # close, as Alt+F4 does
    probe wait-gone --pid "$pid" --timeout 10000 || echo "process $pid did not end" >&2
    sleep 1
  done
}

echo "== start-up: 100 photographs, 1280x1024 display, $runs runs each"
mapfile -t jpgs < <(ls "$photos"/*.jpg | sort)
mkdir -p "$work/pictures" "$work/show"
for i in $(seq 0 99); do
  cp "${jpgs[$((i % ${#jpgs[@]}))]}" "$work/pictures/$(printf 'pic%03d.jpg' "$i")"
done
"$kvpack" build --program "$bin/showcase.scr" --out "$work/show/bench.scr" \
  --pictures "$work/pictures" --design 1280x1024 --quit none --interval 30 >"$work/kvpack.log" 2>&1 \
  || { cat "$work/kvpack.log"; exit 1; }
echo "show file: $(du -h "$work/show/bench.scr" | cut -f1)"
KV_SCREEN=1280x1024x24 "$wine_env" start "$state" >/dev/null || exit 1
# A first untimed start of each, so both runs find the prefix and the caches warm.
runs=1 time_starts "$show_class" "$(winpath "$work/show/bench.scr")" /s >/dev/null 2>&1
show_times=$(time_starts "$show_class" "$(winpath "$work/show/bench.scr")" /s)
runs=1 time_starts KvProbeEmpty "$(winpath "$bin/kvprobe.exe")" empty >/dev/null 2>&1
empty_times=$(time_starts KvProbeEmpty "$(winpath "$bin/kvprobe.exe")" empty)
printf '%-28s %-40s %s\n' program "runs (ms)" "median (ms)"
printf '%-28s %-40s %s\n' "showcase.scr /s (100 pics)" "$(tr '\n' ' ' <<<"$show_times")" "$(median <<<"$show_times")"
printf '%-28s %-40s %s\n' "kvprobe empty" "$(tr '\n' ' ' <<<"$empty_times")" "$(median <<<"$empty_times")"
"$wine_env" stop "$state" >/dev/null

echo
echo "== one default transition on a 1920x1080 display, $runs runs per style"
KV_SCREEN=1920x1080x24 "$wine_env" start "$state" >/dev/null || exit 1
probe transition-time --style "${KV_STYLES:-51,118,130}" --runs "$runs" \
  "$(winpath "${jpgs[0]}")" "$(winpath "${jpgs[1]}")"
