#!/usr/bin/env bash
# Plays a screensaver file under Wine as the demo does: on $DISPLAY when there is one,
# otherwise on a private Xvfb display. Saves a screenshot during the first transition and
# one after it into OUTDIR, then wakes the show with mouse moves and checks that it ended.
#   demo-show.sh SAVER.scr OUTDIR
set -uo pipefail
saver=$1
out=$2
here=$(cd "$(dirname "$0")" && pwd)
state=$out/wine-state
probe=$(dirname "$saver")/../../win64/bin/kvprobe.exe
[ -f "$probe" ] || probe=$here/../../build/win64/bin/kvprobe.exe
say() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }

if [ -n "${DISPLAY:-}" ]; then
  mkdir -p "$state"
  export WINEPREFIX=$state/prefix WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'
  [ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
  private=
else
  "$here/wine-env.sh" start "$state" >/dev/null || exit 1
  # shellcheck disable=SC1091
  . "$state/env"
  private=1
fi
cleanup() { [ -n "$private" ] && "$here/wine-env.sh" stop "$state"; }
trap cleanup EXIT

say "playing the show on display $DISPLAY"
/usr/lib/wine/wine64 "$saver" /s >"$out/show.log" 2>&1 &
pid=$!
# The first picture comes on the first tick, a second after the window appears; a
# default transition lasts about a second.
if [ -f "$probe" ]; then
  /usr/lib/wine/wine64 "$probe" wait-window --class KestrelviewWindow --visible --timeout 20000 >/dev/null 2>&1 || sleep 3
else
  sleep 4
fi
sleep 1.5
import -window root "$out/show-transition.png"
sleep 3
import -window root "$out/show-after.png"
say "screenshots: $out/show-transition.png $out/show-after.png"

# Wake the show: more than ten mouse moves away from the top-left corner.
for i in $(seq 1 15); do xdotool mousemove $((100 + i * 20)) $((100 + i * 15)); sleep 0.05; done
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  say "the show did not end on the mouse moves"
  kill "$pid" 2>/dev/null
  exit 1
fi
say "the show ended on the mouse moves"
