#!/usr/bin/env bash
# The Windows build of kvpack under Wine: build, inspect and extract with Unicode file
# names, and the same bytes back.
set -uo pipefail
WINE_ENV=$1 STATE=$2 BIN=$3
work=$(mktemp -d "${TMPDIR:-/tmp}/kvwine.XXXXXX")
trap 'rm -rf "$work"' EXIT
winpath() { printf 'Z:%s' "${1//\//\\}"; }
kvpack() { "$WINE_ENV" run "$STATE" "$BIN/kvpack.exe" "$@"; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

mapfile -t photos < <(ls /usr/share/backgrounds/mate/nature/*.jpg | sort | head -n 2)
cp "${photos[0]}" "$work/фото один.jpg"
cp "${photos[1]}" "$work/写真.jpg"
printf 'MZ stand-in' >"$work/program.exe"
printf 'music' >"$work/песня.mp3"

kvpack build --out "$(winpath "$work/Шоу.scr")" --program "$(winpath "$work/program.exe")" \
  --pictures "$(winpath "$work/фото один.jpg")" "$(winpath "$work/写真.jpg")" \
  --music "$(winpath "$work/песня.mp3")" --no-resize || fail "build"
[ -f "$work/Шоу.scr" ] || fail "no Шоу.scr"
kvpack inspect "$(winpath "$work/Шоу.scr")" >"$work/inspect.txt" || fail "inspect"
grep -q 'PictureCount *2' "$work/inspect.txt" || fail "inspect: $(cat "$work/inspect.txt")"
kvpack extract "$(winpath "$work/Шоу.scr")" "$(winpath "$work/выход")" >/dev/null 2>&1 || fail "extract"
cmp "$work/фото один.jpg" "$work/выход/kvpic0.jpg" || fail "kvpic0.jpg"
cmp "$work/写真.jpg" "$work/выход/kvpic1.jpg" || fail "kvpic1.jpg"
cmp "$work/песня.mp3" "$work/выход/kvclip0.mp3" || fail "kvclip0.mp3"

# A resized build goes through the Windows JPEG codec.
kvpack build --out "$(winpath "$work/fit.scr")" --program "$(winpath "$work/program.exe")" \
  --pictures "$(winpath "$work/写真.jpg")" --design 640x480 || fail "resized build"
kvpack extract "$(winpath "$work/fit.scr")" "$(winpath "$work/fit")" >/dev/null 2>&1 || fail "resized extract"
size=$(identify -format '%wx%h' "$work/fit/kvpic0.jpg" 2>/dev/null)
case "$size" in 640x*|*x480) ;; *) fail "resized picture is $size, not fitted to 640x480" ;; esac

[ $failures -eq 0 ] && echo "all passed" || exit 1
