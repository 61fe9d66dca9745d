# Shared functions of the Wine GUI tests: source it, then call gui_init "$@".
#   bash tests/wine/NAME.test.sh WINE_ENV STATE BINDIR
# with KV_ROOT and KV_NATIVE_BIN (where the native kvpack is) in the environment.
# Everything a test starts is ended when it exits; screenshots stay in
# BINDIR/../wine-shots/NAME/ for looking at.

WINE=/usr/lib/wine/wine64
# The show window as the system sees it.
SHOW_CLASS=${SHOW_CLASS:-KestrelviewWindow}
SHOW_TITLE=${SHOW_TITLE:-Kestrelview}
PHOTOS=/usr/share/backgrounds/mate/nature
REG_KEY='HKCU\Software\Quillonet'

gui_init() {
  WINE_ENV=$1 STATE=$2 BINDIR=$(cd "$3" && pwd)
  KV_ROOT=${KV_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)}
  KV_NATIVE_BIN=${KV_NATIVE_BIN:-$KV_ROOT/build/native/bin}
  [ -f "$STATE/env" ] || { echo "the Wine fixture is not running ($STATE/env missing)"; exit 1; }
  # shellcheck disable=SC1091
  . "$STATE/env"
  export DISPLAY WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
  TEST_NAME=$(basename "$0" .test.sh)
  SHOTS=$(dirname "$BINDIR")/wine-shots/$TEST_NAME
  rm -rf "$SHOTS" && mkdir -p "$SHOTS"
  WORK=$(mktemp -d "${TMPDIR:-/tmp}/kv-$TEST_NAME.XXXXXX")
  STARTED=()
  PASSED=0 FAILED=0
  trap gui_cleanup EXIT
  for need in "$BINDIR/showcase.scr" "$BINDIR/kvprobe.exe" "$KV_NATIVE_BIN/kvpack"; do
    [ -f "$need" ] || { echo "missing $need"; exit 1; }
  done
  SCREEN_W=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {split($2, d, "x"); print d[1]}')
  SCREEN_H=$(xdpyinfo 2>/dev/null | awk '/dimensions:/ {split($2, d, "x"); print d[2]}')
}

# Ends every process the test started (and still runs), and removes its work folder.
gui_cleanup() {
  local pid
  for pid in "${STARTED[@]}"; do
    kill "$pid" 2>/dev/null
  done
  for pid in "${STARTED[@]}"; do
    wait "$pid" 2>/dev/null
  done
  [ -n "${WORK:-}" ] && rm -rf "$WORK"
}

# Remembers a background process for the cleanup.
started() { STARTED+=("$1"); }

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# --- results -------------------------------------------------------------------------

pass() { PASSED=$((PASSED + 1)); }
fail() { echo "FAIL: $*"; FAILED=$((FAILED + 1)); }
# check DESCRIPTION COMMAND...: the command must succeed.
check() {
  local what=$1; shift
  if "$@"; then pass; else fail "$what"; fi
}
# expect DESCRIPTION ACTUAL WANTED: the two texts must be equal.
expect() {
  if [ "$2" = "$3" ]; then pass; else fail "$1: got '$2', wanted '$3'"; fi
}
# Prints the closing line and ends the test with its result.
finish() {
  echo "$TEST_NAME: $PASSED passed, $FAILED failed"
  [ "$FAILED" -eq 0 ]
  exit
}

# --- Windows programs ----------------------------------------------------------------

# kvprobe with its output's carriage returns taken out.
probe() { "$WINE" "$BINDIR/kvprobe.exe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }
wreg() { "$WINE" reg "$@" 2>&1 | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# settings_hex UseFrame UsePlayer UseScreenSize ShowKind MusicCount PictureCount FlashCount
#              QuitMode IntervalSeconds DesignWidth DesignHeight
# The 33-byte settings record as hexadecimal digits (the reserved first byte is 0).
settings_hex() {
  local out=00 i v
  for i in 1 2 3 4; do out+=$(printf '%02x' "$1"); shift; done
  for v in "$@"; do
    v=$(( v & 0xffffffff ))
    out+=$(printf '%02x%02x%02x%02x' $((v & 255)) $((v >> 8 & 255)) $((v >> 16 & 255)) $((v >> 24 & 255)))
  done
  printf '%s' "$out"
}
# set_stored NAME.scr HEX: the user's stored settings for that screensaver file.
set_stored() { wreg add "$REG_KEY" /v "SaverConfig-$1" /t REG_BINARY /d "$2" /f >/dev/null; }
clear_stored() { wreg delete "$REG_KEY" /v "SaverConfig-$1" /f >/dev/null 2>&1; return 0; }

# make_saver NAME KVPACK-BUILD-ARGS...: builds NAME.scr from the test build's showcase.scr
# in a fresh folder of its own and prints its path. Without --pictures or --flash the
# show gets three real photographs.
make_saver() {
  local name=$1; shift
  local dir="$WORK/$name" args=("$@")
  mkdir -p "$dir"
  if [[ " ${args[*]} " != *" --pictures "* && " ${args[*]} " != *" --flash "* ]]; then
    mapfile -t photos < <(ls "$PHOTOS"/*.jpg | sort | head -n 3)
    args+=(--pictures "${photos[@]}")
  fi
  if ! "$KV_NATIVE_BIN/kvpack" build --program "$BINDIR/showcase.scr" --out "$dir/$name.scr" \
      "${args[@]}" >"$dir/kvpack.log" 2>&1; then
    echo "kvpack build $name failed:" >&2; cat "$dir/kvpack.log" >&2
    return 1
  fi
  printf '%s' "$dir/$name.scr"
}

# only_styles FILE STYLE...: rewrites the package's effect flags to enable only these.
only_styles() {
  python3 - "$@" <<'PY'
import struct, sys
path, styles = sys.argv[1], set(map(int, sys.argv[2:]))
data = bytearray(open(path, 'rb').read())
length = struct.unpack('<i', data[-4:])[0]
at = len(data) - 8 - length
while data[at] != 6:
    n = struct.unpack('<i', data[at + 1:at + 5])[0]
    if data[at] == 4:
        data[at + 5:at + 5 + 123] = bytes(1 if i in styles else 0 for i in range(123))
    at += 5 + n
open(path, 'wb').write(data)
PY
}

# start_program FILE ARGS...: starts a Windows program in the background; PROGRAM_PID is
# its process here (the Wine process that runs it).
start_program() {
  (cd "$(dirname "$1")" && exec "$WINE" "$@" >/dev/null 2>&1) &
  PROGRAM_PID=$!
  started "$PROGRAM_PID"
}

# start_show FILE [ARGS...] (default /s): starts the show and waits for its visible window.
# Sets SHOW_PID (the process here), SHOW_HWND and SHOW_WINPID; fails when no window came.
start_show() {
  local file=$1; shift
  [ $# -gt 0 ] || set -- /s
  start_program "$file" "$@"
  SHOW_PID=$PROGRAM_PID
  local found
  found=$(probe wait-window --class "$SHOW_CLASS" --text "$SHOW_TITLE" --visible --timeout 30000) || return 1
  SHOW_HWND=$(cut -f1 <<<"$found")
  SHOW_WINPID=$(cut -f2 <<<"$found")
}

# True while the process runs (a finished child not yet reaped counts as ended).
running() {
  local state
  state=$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null) || return 1
  [ -n "$state" ] && [ "$state" != Z ] && [ "$state" != X ]
}
show_running() { running "$SHOW_PID"; }
# wait_ended PID SECONDS: true when the process ended within that time.
wait_ended() {
  local end=$((SECONDS + $2))
  while running "$1"; do
    [ $SECONDS -ge "$end" ] && return 1
    sleep 0.1
  done
  wait "$1" 2>/dev/null
  return 0
}
# Ends the show if it still runs.
stop_show() {
  if show_running; then kill "$SHOW_PID" 2>/dev/null; fi
  wait "$SHOW_PID" 2>/dev/null
  return 0
}

# --- the screen as the user sees it --------------------------------------------------

# shot NAME: a screenshot of the whole display; prints its file.
shot() {
  local file="$SHOTS/$1.png"
  import -window root "$file" 2>/dev/null || return 1
  printf '%s' "$file"
}
# pixel FILE X Y: the colour there as RRGGBB.
pixel() {
  /usr/bin/convert "$1" -format "%[hex:p{$2,$3}]" info: 2>/dev/null | cut -c1-6
}
# region_mean FILE X Y W H: the mean colour of the region as RRGGBB.
region_mean() {
  /usr/bin/convert "$1" -crop "$4x$5+$2+$3" +repage -scale '1x1!' -format '%[hex:p{0,0}]' info: 2>/dev/null | cut -c1-6
}
# region_max FILE X Y W H: the brightest channel value (0..255) anywhere in the region.
region_max() {
  /usr/bin/convert "$1" -crop "$4x$5+$2+$3" +repage -format '%[fx:round(255*maxima)]' info: 2>/dev/null
}
# is_black FILE X Y W H: no channel of any pixel of the region above 8.
is_black() { [ "$(region_max "$@")" -le 8 ] 2>/dev/null; }
# differs FILE1 FILE2 X Y W H: the region's pixels differ between the two screenshots
# (mean absolute error above 2 of 255).
differs() {
  local a b
  a=$(mktemp "$WORK/a.XXXX.png") b=$(mktemp "$WORK/b.XXXX.png")
  /usr/bin/convert "$1" -crop "$5x$6+$3+$4" +repage "$a"
  /usr/bin/convert "$2" -crop "$5x$6+$3+$4" +repage "$b"
  local mae
  mae=$(compare -metric MAE "$a" "$b" null: 2>&1 | sed -n 's/.*(\([0-9.e+-]*\)).*/\1/p')
  rm -f "$a" "$b"
  awk -v m="${mae:-0}" 'BEGIN { exit !(m * 255 > 2) }'
}

# --- input as a user -----------------------------------------------------------------

mouse_to() { xdotool mousemove "$1" "$2"; }
click() { xdotool click "$1"; }
key() { xdotool key "$@"; }
# near RRGGBB RRGGBB TOLERANCE: no channel differs by more than the tolerance.
near() {
  local a=$1 b=$2 t=$3 i x y
  [ ${#a} -eq 6 ] && [ ${#b} -eq 6 ] || return 1
  for i in 0 2 4; do
    x=$((16#${a:i:2})) y=$((16#${b:i:2}))
    [ $((x > y ? x - y : y - x)) -le "$t" ] || return 1
  done
}
# not_black FILE X Y W H: some pixel of the region is brighter than 8 in some channel.
not_black() { [ "$(region_max "$@")" -gt 8 ] 2>/dev/null; }
# poll SECONDS COMMAND...: retries the command every half second until it succeeds.
poll() {
  local end=$((SECONDS + $1)); shift
  until "$@"; do
    [ $SECONDS -ge "$end" ] && return 1
    sleep 0.5
  done
}
