#!/usr/bin/env bash
# The preview: "/p HANDLE" puts the show inside a host window the size of the monitor
# picture of the display settings (152x112), and ends when that window goes; a handle
# that is no number ends with the conversion error and no window.
#
# Under Wine a child window whose parent belongs to another process draws nowhere on
# the X display, so these tests look at the windows and the processes, not the pixels.
set -uo pipefail
. "$(dirname "$0")/gui-lib.sh"
gui_init "$@"

scr=$(make_saver preview --interval 1 --quit any) || exit 1
start_program "$BINDIR/kvprobe.exe" host 152 112 --until "$(winpath "$WORK/host-done")"
HOST_PID=$PROGRAM_PID
host=
poll 20 eval 'host=$(probe windows --all | awk -F"\t" "\$3 == \"KvProbeHost\" && \$4 == \"kvprobe host\" {print \$1}" | head -1); [ -n "$host" ]'
# The host child (the monitor picture) is the only child of the host window.
inner=$(probe children "$host" | awk -F'\t' '$3 == "host" {print $1}' | head -1)
if [ -z "$inner" ]; then
  fail "no host window"
  finish
fi
start_program "$scr" /p "$inner"
PREVIEW_PID=$PROGRAM_PID
# children prints: hwnd, class, text, rect (screen x,y,w,h), visibility
preview_child() { probe children "$inner" | awk -F'\t' '$2 == "KestrelviewWindow" && $5 == "visible"' | head -1; }
check "the preview window lives inside the host" poll 20 eval '[ -n "$(preview_child)" ]'
host_rect=$(probe children "$host" | awk -F'\t' '$3 == "host" {print $4}')
expect "it covers the host from its top-left corner" "$(preview_child | cut -f4)" "$host_rect"
sleep 3
check "the preview keeps running while its host is there" running "$PREVIEW_PID"
temp=$(ls -d "$WINEPREFIX"/drive_c/users/*/Temp "$WINEPREFIX"/drive_c/users/*/AppData/Local/Temp 2>/dev/null | head -1)
check "it extracted its pictures" test -f "$temp/kvpic0.jpg" -a -f "$temp/kvpic2.jpg"

# The host goes: the preview ends within two seconds of it.
touch "$WORK/host-done"
check "the host window goes" wait_ended "$HOST_PID" 15
check "the preview ends within two seconds after its host" wait_ended "$PREVIEW_PID" 2

# "/p abc" and "/p" alone: the conversion error box, and no preview window.
for arg in abc ""; do
  start_program "$scr" /p $arg
  pid=$PROGRAM_PID
  text="'$arg' is not a valid integer value."
  box=$(probe find-text "$text" --timeout 20000 | cut -f1)
  check "/p $arg: the box \"$text\"" test -n "$box"
  check "/p $arg: no preview window" eval '! probe wait-window --class KestrelviewWindow --timeout 500 >/dev/null'
  [ -n "$box" ] && probe press "$box" OK >/dev/null
  check "/p $arg: the program ends after OK" wait_ended "$pid" 10
done
finish
