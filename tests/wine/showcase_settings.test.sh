#!/usr/bin/env bash
# The user's stored settings over the package's, the start-up failures the user sees as
# message boxes (found by their texts), the taskbar around a show, and the system's
# request to start a screensaver while the show runs.
set -uo pipefail
. "$(dirname "$0")/gui-lib.sh"
gui_init "$@"

# The taskbar: the desktop's own when it shows one, else a stand-in of the same class.
tray_visible() { probe windows | awk -F'\t' -v h="$TRAY" '$1 == h { found = 1 } END { exit !found }'; }
if TRAY=$(probe wait-window --class Shell_TrayWND --visible --timeout 500 | cut -f1); then :; else
  start_program "$BINDIR/kvprobe.exe" tray --until "$(winpath "$WORK/tray.stop")"
  TRAY=$(probe wait-window --class Shell_TrayWND --visible --timeout 10000 | cut -f1) || { echo "no taskbar stand-in"; exit 1; }
fi

# --- stored interval and wake-up mode win over the package's
scr=$(make_saver stored --interval 30 --quit none --design 1024x768) || exit 1
set_stored stored.scr "$(settings_hex 0 0 0 0 0 3 0 3 2 1024 768)"
if start_show "$scr"; then
  check "the taskbar is hidden while the show runs" poll 5 eval '! tray_visible'
  poll 10 eval 'first=$(shot stored-first) && not_black "$first" 128 128 1 768 && not_black "$first" 1151 128 1 768'
  check "stored interval 2: the next picture comes within 10 s, not after 30" \
    poll 10 eval 'next=$(shot stored-next) && differs "$first" "$next" 128 128 1024 768'
  expect "SC_SCREENSAVE sent to the show is answered" "$(probe send-syscommand "$SHOW_HWND" F140)" 0
  sleep 2
  check "the show runs on after SC_SCREENSAVE" show_running
  expect "and its window is still the show's" "$(probe wait-window --class "$SHOW_CLASS" --visible --timeout 1000 | cut -f1)" "$SHOW_HWND"
  key shift
  check "stored wake-up mode 3 (key): Shift ends the show" wait_ended "$SHOW_PID" 8
  check "the taskbar is visible again after the show" poll 5 tray_visible
else
  fail "stored: no show window"
fi
stop_show

# --- a stored value of 10 bytes counts: the wake-up mode past its end reads as 0 (none)
scr=$(make_saver short --interval 2 --quit any --design 1024x768) || exit 1
set_stored short.scr 00000000000000000000
if start_show "$scr"; then
  sleep 1
  key shift; click 1; sleep 1
  check "10-byte value: key and click no longer end an 'any' show" show_running
  key alt+F4
  check "10-byte value: Alt+F4 ends it" wait_ended "$SHOW_PID" 8
else
  fail "short: no show window"
fi
stop_show

# box_shown TEXT: a window with that text comes up; BOX is its top-level window.
box_shown() {
  BOX=$(probe find-text "$1" --timeout 20000 | cut -f1) && [ -n "$BOX" ]
}

# --- a stored value of the wrong type: the error box, then an empty show that Alt+F4 ends.
# The error box adds no full stop after a closing quote (it sorts before ".").
scr=$(make_saver wrongtype --interval 2 --quit any --design 1024x768) || exit 1
wreg add "$REG_KEY" /v SaverConfig-wrongtype.scr /t REG_SZ /d hello /f >/dev/null
start_program "$scr" /s
SHOW_PID=$PROGRAM_PID
if check "wrong type: the box \"Invalid data type for 'SaverConfig-wrongtype.scr'\"" \
    box_shown "Invalid data type for 'SaverConfig-wrongtype.scr'"; then
  check "wrong type: the taskbar stays visible" tray_visible
  probe press "$BOX" OK >/dev/null
  probe wait-gone "$BOX" --timeout 5000 >/dev/null
  sleep 1
  check "wrong type: the show window stays after the box" show_running
  check "wrong type: the show window is there" eval 'probe wait-window --class "$SHOW_CLASS" --text "$SHOW_TITLE" --timeout 5000 >/dev/null'
  key alt+F4
  check "wrong type: Alt+F4 ends the show" wait_ended "$SHOW_PID" 8
fi
stop_show
clear_stored wrongtype.scr

# --- no package: the bare program
mkdir -p "$WORK/bare" && cp "$BINDIR/showcase.scr" "$WORK/bare/bare.scr"
start_program "$WORK/bare/bare.scr" /s
SHOW_PID=$PROGRAM_PID
if check "no package: the box" box_shown "Initialize screen saver error. Try to create it over again please."; then
  probe press "$BOX" OK >/dev/null
  check "no package: the program ends after OK" wait_ended "$SHOW_PID" 10
  check "no package: the taskbar is visible" tray_visible
fi
stop_show

# --- a picture show whose effect flags enable only excluded styles: the message, the end,
# the taskbar as it was and no show window
scr=$(make_saver excluded --quit any) || exit 1
only_styles "$scr" 7 9 119
start_program "$scr" /s
SHOW_PID=$PROGRAM_PID
if check "excluded styles: the box" box_shown "Load effect data error, please recreate this screensaver and try again!"; then
  check "excluded styles: the taskbar stays visible" tray_visible
  check "excluded styles: no show window is shown" \
    eval '! probe wait-window --class "$SHOW_CLASS" --text "$SHOW_TITLE" --visible --timeout 300 >/dev/null'
  probe press "$BOX" OK >/dev/null
  check "excluded styles: the program ends after OK, without a show" wait_ended "$SHOW_PID" 10
  check "excluded styles: the taskbar is visible afterwards" tray_visible
fi
stop_show

# --- design 1600x1200 on the 1280x1024 screen
scr=$(make_saver big --design 1600x1200 --no-resize --quit any) || exit 1
start_program "$scr" /s
SHOW_PID=$PROGRAM_PID
if check "too small: the box" box_shown "Current screen is smaller than specified screen resolution."; then
  probe press "$BOX" OK >/dev/null
  check "too small: the program ends after OK" wait_ended "$SHOW_PID" 10
  check "too small: the taskbar is visible afterwards" poll 5 tray_visible
fi
stop_show
clear_stored stored.scr
clear_stored short.scr
finish
