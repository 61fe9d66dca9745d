#!/usr/bin/env bash
# The installer made by kvpack installer, driven as a user would: its window, the image
# button clicked with the mouse, the question answered; then what it left in the system
# folder and the registry, its failures, and the installed screensaver started.
. "$(dirname "$0")/gui-lib.sh"
gui_init "$@"
[ -f "$BINDIR/deployer.exe" ] || { echo "missing $BINDIR/deployer.exe"; exit 1; }
SYSTEM=$WINEPREFIX/drive_c/windows/system32
WINSYS='C:\windows\system32'
QUESTION="Screensaver installation completed, run it now?"
DESKTOP='HKCU\Control Panel\Desktop'

# make_installer NAME.exe: an installer for the test's screensaver in $WORK/inst/.
make_installer() {
  mkdir -p "$WORK/inst"
  "$KV_NATIVE_BIN/kvpack" installer --saver "$SAVER" --out "$WORK/inst/$1" --deployer "$BINDIR/deployer.exe" >/dev/null
}
# start_installer FILE: starts it and waits for its window (INSTALLER_PID, INSTALLER_HWND).
start_installer() {
  start_program "$1"
  INSTALLER_PID=$PROGRAM_PID
  local found
  found=$(probe wait-window --text "Install Screensaver" --visible --timeout 30000) || return 1
  INSTALLER_HWND=$(cut -f1 <<<"$found")
}
# The image button's centre on the screen: the installer's 28x9 child window.
button_centre() {
  probe children "$INSTALLER_HWND" | awk -F'\t' '{ split($4, r, ",") } r[3] == 28 && r[4] == 9 { print r[1] + 14, r[2] + 4 }'
}
# click_install: the pointer comes from outside onto the button and clicks it.
click_install() {
  local bx by
  read -r bx by < <(button_centre)
  [ -n "$bx" ] || { fail "no image button found"; return 1; }
  mouse_to $((bx - 60)) $((by - 60)); sleep 0.3
  mouse_to "$bx" "$by"; sleep 0.6
  BUTTON_X=$bx BUTTON_Y=$by
  click 1
}
# answer TEXT: presses that button of the question box; fails when no question came.
answer() {
  local box
  box=$(probe find-text "$QUESTION" --timeout 20000) || return 1
  probe press "$(cut -f1 <<<"$box")" "$1" >/dev/null
}
registry_value() { wreg query "$DESKTOP" /v SCRNSAVE.EXE | sed -n 's/.*REG_SZ[[:space:]]*//p'; }
# install NAME.exe ANSWER: the whole run (with the installer made unless it is there);
# the installer must end after the answer.
install() {
  [ -f "$WORK/inst/$1" ] || make_installer "$1" || { fail "$1: kvpack installer"; return 1; }
  start_installer "$WORK/inst/$1" || { fail "$1: no installer window"; return 1; }
  click_install || return 1
  answer "$2" || { fail "$1: no question after the click"; return 1; }
  wait_ended "$INSTALLER_PID" 20 || { fail "$1: the installer still runs after '$2'"; return 1; }
}
# same_as_payload FILE: byte for byte the screensaver file, ending in its trailer.
same_as_payload() {
  cmp -s "$1" "$SAVER" && [ "$(tail -c 8 "$1" | head -c 4)" = KVQ1 ]
}

# The files this test installs; none is there before it starts or after it ends.
clean_system() {
  local f
  for f in Lagoon.scr install-Lagoon.scr Setup.scr "Lagoon Sunset.scr" Blocked.scr Empty.scr Лагуна.scr swing.mskn; do
    rm -rf "${SYSTEM:?}/$f"
  done
}
clean_system
trap 'clean_system; gui_cleanup' EXIT

SAVER=$(make_saver Lagoon --design 640x480 --interval 2 --quit key) || exit 1

# --- The first install, answered No, with the button's pictures looked at. ---------------
make_installer Install-Lagoon.exe
start_installer "$WORK/inst/Install-Lagoon.exe" || { fail "no installer window"; finish; }
read -r bx by < <(button_centre)
mouse_to $((bx - 60)) $((by - 60)); sleep 0.5
rest=$(shot button-at-rest)
mouse_to "$bx" "$by"; sleep 0.6
over=$(shot button-hover)
# The letters are light at rest and red under the pointer.
red() { local c; c=$(region_mean "$1" $((bx - 12)) $((by - 3)) 24 7); echo $((16#${c:0:2} - 16#${c:2:2})); }
check "the button at rest shows light letters (red-green $(red "$rest"))" [ "$(red "$rest")" -lt 20 ]
check "the button under the pointer turns red (red-green $(red "$over"))" [ "$(red "$over")" -gt 40 ]
mouse_to $((bx + 60)) $((by + 60)); sleep 0.6
left=$(shot button-left)
check "the pointer gone, the letters are light again (red-green $(red "$left"))" [ "$(red "$left")" -lt 20 ]
mouse_to "$bx" "$by"; sleep 0.6
read -r wx wy ww wh < <(probe windows | awk -F'\t' -v h="$INSTALLER_HWND" '$1 == h { split($5, r, ","); print r[1], r[2], r[3], r[4] }')
[ -n "$wx" ] && convert "$over" -crop "${ww}x${wh}+${wx}+${wy}" +repage "$SHOTS/installer-window.png"
# The window's controls: the face at (-8, 0) sized to its picture, the button at
# (351, 210) on it, and the hidden destination field holding the system folder.
children=$(probe children "$INSTALLER_HWND")
face=$(awk -F'\t' '{ split($4, r, ",") } r[3] == 450 && r[4] == 304 { print r[1], r[2] }' <<<"$children")
expect "button position on the face" "$(awk -v f="$face" -v x="$bx" -v y="$by" 'BEGIN { split(f, p, " "); print x - 14 - p[1] - 8, y - 4 - p[2] }')" "351 210"
check "the destination field holds $WINSYS\\" grep -qF "$(printf 'Edit\t%s\\' "$WINSYS")" <<<"$children"
click 1
check "the question comes" answer No
check "No ends the installer" wait_ended "$INSTALLER_PID" 20
check "Lagoon.scr is the payload, byte for byte" same_as_payload "$SYSTEM/Lagoon.scr"
expect "size of Lagoon.scr" "$(stat -c %s "$SYSTEM/Lagoon.scr" 2>/dev/null)" "$(stat -c %s "$SAVER")"
expect "SCRNSAVE.EXE" "$(registry_value)" "$WINSYS\\Lagoon.scr"
check "swing.mskn beside it" cmp -s "$SYSTEM/swing.mskn" "$KV_ROOT/art/swing.mskn"
if probe wait-window --class "$SHOW_CLASS" --timeout 3000 >/dev/null; then fail "No started the screensaver"; else pass; fi

# --- Names: the "Install-" prefix only as written. ---------------------------------------
install install-Lagoon.exe No && check "install-Lagoon.exe writes install-Lagoon.scr" same_as_payload "$SYSTEM/install-Lagoon.scr"
# Setup.exe is made by the Windows kvpack, with the installer program beside it.
mkdir -p "$WORK/inst"
"$WINE" "$BINDIR/kvpack.exe" installer --saver "$(winpath "$SAVER")" --out "$(winpath "$WORK/inst/Setup.exe")" >/dev/null 2>&1 \
  || fail "kvpack.exe installer"
install Setup.exe No && check "Setup.exe writes Setup.scr" same_as_payload "$SYSTEM/Setup.scr"
expect "SCRNSAVE.EXE after Setup.exe" "$(registry_value)" "$WINSYS\\Setup.scr"
install Install-Лагуна.exe No && check "Install-Лагуна.exe writes Лагуна.scr" same_as_payload "$SYSTEM/Лагуна.scr"

# --- Over an existing file: truncated and rewritten, registered by its short path. --------
install "Install-Lagoon Sunset.exe" No
expect "first install registers the long path" "$(registry_value)" "$WINSYS\\Lagoon Sunset.scr"
head -c 3000000 /dev/urandom >"$SYSTEM/Lagoon Sunset.scr"
install "Install-Lagoon Sunset.exe" No
check "the older, longer file is rewritten" same_as_payload "$SYSTEM/Lagoon Sunset.scr"
value=$(registry_value)
check "over an existing file the short path is registered ($value)" \
  bash -c '[[ "$1" == "$2\\"*"~"* && "$1" != *" "* ]]' _ "$value" "$WINSYS"

# --- A skin file that cannot be written does not stop the install. ------------------------
rm -f "$SYSTEM/swing.mskn" && mkdir "$SYSTEM/swing.mskn"
rm -f "$SYSTEM/Lagoon.scr"
install Install-Lagoon.exe No && check "installed despite the skin" same_as_payload "$SYSTEM/Lagoon.scr"
rmdir "$SYSTEM/swing.mskn"

# --- A destination that cannot be created: the error box, nothing after it. ---------------
mkdir -p "$SYSTEM/Blocked.scr"
before=$(registry_value)
make_installer Install-Blocked.exe
start_installer "$WORK/inst/Install-Blocked.exe" && click_install
box=$(probe find-text "Cannot create file $WINSYS\\Blocked.scr." --timeout 20000)
check "error box 'Cannot create file $WINSYS\\Blocked.scr.'" [ -n "$box" ]
expect "its title" "$(cut -f2 <<<"$box")" "Install-blocked"
[ -n "$box" ] && probe press "$(cut -f1 <<<"$box")" OK >/dev/null
if probe find-text "$QUESTION" --timeout 2000 >/dev/null; then fail "the question came after the error"; else pass; fi
expect "registry untouched" "$(registry_value)" "$before"
check "no skin file written" [ ! -e "$SYSTEM/swing.mskn" ]
check "the installer window stays open" running "$INSTALLER_PID"
kill "$INSTALLER_PID" 2>/dev/null; wait "$INSTALLER_PID" 2>/dev/null
rmdir "$SYSTEM/Blocked.scr"

# --- A file without payload: the bare installer program. ----------------------------------
cp "$BINDIR/deployer.exe" "$WORK/inst/Install-Empty.exe"
start_installer "$WORK/inst/Install-Empty.exe" && click_install
text="This installer carries no screensaver: $(winpath "$WORK/inst/Install-Empty.exe") holds none at its end."
box=$(probe find-text "$text" --timeout 20000)
check "error box '$text'" [ -n "$box" ]
[ -n "$box" ] && probe press "$(cut -f1 <<<"$box")" OK >/dev/null
check "nothing written" [ ! -e "$SYSTEM/Empty.scr" ]
kill "$INSTALLER_PID" 2>/dev/null; wait "$INSTALLER_PID" 2>/dev/null

# --- Yes starts the installed screensaver; it shows its pictures. -------------------------
install Install-Lagoon.exe Yes
found=$(probe wait-window --class "$SHOW_CLASS" --visible --timeout 30000)
check "Yes starts the screensaver" [ -n "$found" ]
if [ -n "$found" ]; then
  sleep 4
  screen=$(shot started-by-yes)
  check "the started show has pictures on screen" not_black "$screen" $((SCREEN_W / 2 - 100)) $((SCREEN_H / 2 - 100)) 200 200
  key shift
  check "a key ends it" probe wait-gone "$(cut -f1 <<<"$found")" --timeout 15000
fi

# --- The installed file started with /s from the system folder shows its pictures. -------
if start_show "$SYSTEM/Lagoon.scr" /s; then
  sleep 4
  screen=$(shot installed-show)
  check "the installed screensaver shows its pictures" not_black "$screen" $((SCREEN_W / 2 - 100)) $((SCREEN_H / 2 - 100)) 200 200
  stop_show
else
  fail "the installed screensaver opened no show window"
fi
finish
