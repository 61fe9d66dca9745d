#!/usr/bin/env bash
# The configuration dialog driven as a user drives it: mouse on its controls, keys,
# message boxes answered; what it stores read back from the registry.
#   bash tests/wine/config_dialog.test.sh WINE_ENV STATE BINDIR
set -uo pipefail
. "$(dirname "$0")/gui-lib.sh"
gui_init "$@"

# The settings record in a screensaver file's package, as hexadecimal digits.
package_hex() {
  python3 - "$1" <<'PY'
import struct, sys
data = open(sys.argv[1], 'rb').read()
length = struct.unpack('<i', data[-4:])[0]
start = len(data) - 8 - length
assert data[start] == 0 and struct.unpack('<i', data[start + 1:start + 5])[0] == 33
print(data[start + 5:start + 38].hex())
PY
}
# with_user HEX FRAME QUIT INTERVAL WIDTH HEIGHT: the record with the five user fields set.
with_user() {
  python3 - "$@" <<'PY'
import struct, sys
b = bytearray.fromhex(sys.argv[1])
b[1] = int(sys.argv[2])
b[17:33] = struct.pack('<iiii', *map(int, sys.argv[3:7]))
print(b.hex())
PY
}
# The stored value of NAME.scr as lower-case hexadecimal digits, "" when there is none.
stored_hex() {
  wreg query "$REG_KEY" /v "SaverConfig-$1" 2>/dev/null | awk '/REG_BINARY/ {print tolower($3)}'
}
stored_type() { wreg query "$REG_KEY" /v "SaverConfig-$1" 2>/dev/null | awk '/SaverConfig/ {print $2}'; }

# open_dialog FILE: starts it with /c and waits for the dialog; sets DLG (its window).
open_dialog() {
  start_program "$1" /c
  DIALOG_PID=$PROGRAM_PID
  local found
  found=$(probe wait-window --text Config --visible --timeout 30000) || return 1
  DLG=$(cut -f1 <<<"$found")
  sleep 0.5
}
# The screen rectangle of the dialog's child whose text is TEXT: sets CX CY (its centre)
# and CL CT (its top left).
locate() {
  local line
  line=$(probe children "$DLG" | awk -F'\t' -v t="$1" '$3 == t && $5 == "visible" {print; exit}')
  [ -n "$line" ] || { echo "no control '$1'" >&2; return 1; }
  IFS=, read -r CL CT CW CH <<<"$(cut -f4 <<<"$line")"
  CX=$((CL + CW / 2)) CY=$((CT + CH / 2))
}
# The child of the given window class (first one): same variables as locate.
locate_class() {
  local line
  line=$(probe children "$DLG" | awk -F'\t' -v c="$1" '$2 == c {print; exit}')
  [ -n "$line" ] || { echo "no control of class '$1'" >&2; return 1; }
  IFS=, read -r CL CT CW CH <<<"$(cut -f4 <<<"$line")"
  CX=$((CL + CW / 2)) CY=$((CT + CH / 2))
}
click_on() { locate "$1" && mouse_to "$CX" "$CY" && click 1 && sleep 0.3; }
# Keyboard input goes to the dialog's window.
focus_dialog() {
  local xw
  xw=$(xdotool search --name '^Config$' | head -n 1)
  [ -n "$xw" ] && xdotool windowfocus --sync "$xw" 2>/dev/null
  sleep 0.2
}
# bluish RRGGBB: clearly more blue than red (the skin's buttons; the plain ones are grey).
bluish() { [ ${#1} -eq 6 ] && [ $((16#${1:4:2})) -gt $((16#${1:0:2} + 40)) ]; }
has_text() { probe find-text "$1" --timeout "${2:-3000}" >/dev/null; }
# answer_box TEXT: the message box showing TEXT is there; its OK is pressed.
answer_box() {
  local found
  found=$(probe find-text "$1" --timeout 30000) || return 1
  probe press "$(cut -f1 <<<"$found")" OK >/dev/null
}

saver=$(make_saver ConfigShow --design 1600x1200 --interval 12 --quit mouse-move) || exit 1
package=$(package_hex "$saver")
cp "$KV_ROOT/art/swing.mskn" "$(dirname "$saver")/"

# First start: 1024 x 768 at position 1 whatever the package's design size, "Mouse move";
# then Key press, an interval typed, the track bar to its end (position 7), the frame box
# checked on the Decorate page, Save: the package's record with the five user fields.
clear_stored ConfigShow.scr
if open_dialog "$saver"; then
  check "first start shows 1024 x 768" has_text "1024 x 768 Pixels"
  first=$(shot first-start)
  locate Save && check "the skin's blue Save button" bluish "$(pixel "$first" "$((CL + 10))" "$CY")"
  focus_dialog
  click_on "Key press"
  locate_class Edit && mouse_to "$CX" "$CY" && click 1
  key End shift+Home && xdotool type 25
  locate_class msctls_trackbar32 && mouse_to "$CX" "$CY" && click 1
  key End
  sleep 0.3
  check "position 7 shows 1600 x 1200" has_text "1600 x 1200 Pixels"
  # To the Decorate page as a keyboard user: the tab strip, then the next tab.
  locate_class SysTabControl32 && mouse_to $((CL + 20)) $((CT + 10)) && click 1
  key Right
  sleep 0.3
  click_on "Apply a frame on pictures "
  shot decorate >/dev/null
  click_on Save
  check "Save closes the dialog" wait_ended "$DIALOG_PID" 10
  expect "stored after the user's changes" "$(stored_hex ConfigShow.scr)" "$(with_user "$package" 1 3 25 1600 1200)"
else
  fail "no dialog on first start"
fi

# Cancel and the close box store nothing, whatever was changed.
for how in Cancel close-box; do
  clear_stored ConfigShow.scr
  if open_dialog "$saver"; then
    focus_dialog
    click_on "None (Alt + F4)"
    if [ "$how" = Cancel ]; then click_on Cancel; else probe send-syscommand "$DLG" F060 >/dev/null; fi
    check "$how closes the dialog" wait_ended "$DIALOG_PID" 10
    expect "$how stores nothing" "$(stored_hex ConfigShow.scr)" ""
  else
    fail "no dialog for $how"
  fi
done

# The keyboard: Escape is Cancel; Enter is Save, which on a first start stores the
# package's interval and wake-up with 1024 x 768.
clear_stored ConfigShow.scr
if open_dialog "$saver"; then
  focus_dialog
  key Escape
  check "Escape closes the dialog" wait_ended "$DIALOG_PID" 10
  expect "Escape stores nothing" "$(stored_hex ConfigShow.scr)" ""
fi
if open_dialog "$saver"; then
  focus_dialog
  key Return
  check "Enter closes the dialog" wait_ended "$DIALOG_PID" 10
  expect "Enter saves the first start's values" "$(stored_hex ConfigShow.scr)" "$(with_user "$package" 0 1 12 1024 768)"
fi

# A stored 1280 x 1024 puts the track bar at position 3, the first 1280 row; saving
# untouched stores 1280 x 720 with the stored user fields.
set_stored ConfigShow.scr "$(with_user "$package" 1 2 30 1280 1024)"
if open_dialog "$saver"; then
  check "stored 1280x1024 shows 1280 x 720" has_text "1280 x 720 Pixels"
  click_on Save
  check "Save closes the dialog" wait_ended "$DIALOG_PID" 10
  expect "saved untouched" "$(stored_hex ConfigShow.scr)" "$(with_user "$package" 1 2 30 1280 720)"
else
  fail "no dialog with a stored value"
fi

# A stored value of the wrong type: the registry error, then the dialog; Save replaces it.
clear_stored ConfigShow.scr
wreg add "$REG_KEY" /v SaverConfig-ConfigShow.scr /t REG_SZ /d text /f >/dev/null
if open_dialog "$saver" || true; then
  check "wrong type reported" answer_box "Invalid data type for 'SaverConfig-ConfigShow.scr'"
  found=$(probe wait-window --text Config --visible --timeout 15000) && DLG=$(cut -f1 <<<"$found")
  if [ -n "${found:-}" ]; then
    sleep 0.5
    click_on Save
    check "Save closes the dialog" wait_ended "$DIALOG_PID" 10
    expect "Save after the error writes binary" "$(stored_type ConfigShow.scr)" REG_BINARY
    expect "Save after the error" "$(stored_hex ConfigShow.scr)" "$(with_user "$package" 0 1 8 1024 768)"
  else
    fail "no dialog after the registry error"
  fi
fi

# No package: the start-up message and the end, nothing stored.
plain="$WORK/ConfigPlain/ConfigPlain.scr"
mkdir -p "$WORK/ConfigPlain" && cp "$BINDIR/showcase.scr" "$plain"
clear_stored ConfigPlain.scr
start_program "$plain" /c
check "no package reported" answer_box "Initialize screen saver error. Try to create it over again please."
check "no package ends the program" wait_ended "$PROGRAM_PID" 10
expect "no package stores nothing" "$(stored_hex ConfigPlain.scr)" ""

# A picture show whose styles are all excluded: the effect message and the end.
excluded=$(make_saver ConfigExcluded) || exit 1
only_styles "$excluded" 7 9 119
start_program "$excluded" /c
check "excluded styles reported" answer_box "Load effect data error, please recreate this screensaver and try again!"
check "excluded styles end the program" wait_ended "$PROGRAM_PID" 10
expect "excluded styles store nothing" "$(stored_hex ConfigExcluded.scr)" ""

# A skin file that does not read, and no skin file: the plain look, the same both times.
skin="$(dirname "$saver")/swing.mskn"
for state in broken missing; do
  if [ $state = broken ]; then printf 'KVSKIN 1\n[Colors]\nWindow = blue\n' >"$skin"; else rm -f "$skin"; fi
  if open_dialog "$saver"; then
    check "$state skin: the dialog opens" has_text "Quit mode  (Wake up  on)"
    plain=$(shot "plain-$state")
    locate Save && button=$(pixel "$plain" "$((CL + 10))" "$CY")
    if bluish "$button"; then fail "$state skin: Save is skinned ($button)"; else pass; fi
    click_on Cancel
    check "$state skin: Cancel closes" wait_ended "$DIALOG_PID" 10
  else
    fail "$state skin: no dialog"
  fi
done
if differs "$SHOTS/plain-broken.png" "$SHOTS/plain-missing.png" 0 0 "$SCREEN_W" "$SCREEN_H"; then
  fail "a broken skin file looks different from none"
else
  pass
fi

for name in ConfigShow ConfigPlain ConfigExcluded; do clear_stored "$name.scr"; done
finish
