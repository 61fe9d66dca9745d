#!/usr/bin/env bash
# What ends a running show, for each wake-up mode, as a user's mouse and keyboard do it.
# "Woke" means the show's process ended. The start-up parks the cursor at the top-left
# corner; a mouse-move wake needs more than 10 moves and the cursor more than 20 pixels
# right of or below that corner.
set -uo pipefail
. "$(dirname "$0")/gui-lib.sh"
gui_init "$@"

moves_within() { local i; for i in $(seq 8); do mouse_to 15 15; sleep 0.05; mouse_to 4 9; sleep 0.05; done; }
moves_beyond() { local i; for i in $(seq "${1:-6}"); do mouse_to 300 300; sleep 0.05; mouse_to 310 290; sleep 0.05; done; }
left_click() { click 1; }
right_click() { click 3; }
shift_key() { key shift; }
alt_key() { key alt; }
letter_key() { key x; }

# run_case NAME MODE WANT INPUT...: a fresh show of that wake-up mode gets the inputs in
# turn; WANT "woke" means the show must have ended after the last input and not before,
# "kept" that no input ended it (and then Alt+F4 must).
declare -A savers
run_case() {
  local name=$1 mode=$2 want=$3; shift 3
  [ -n "${savers[$mode]:-}" ] || savers[$mode]=$(make_saver "wake-$mode" --quit "$mode" --interval 30 --design 1024x768) || exit 1
  if ! start_show "${savers[$mode]}"; then fail "$name: no show window"; return; fi
  sleep 1
  local n=0 input
  for input in "$@"; do
    n=$((n + 1))
    $input
    if [ "$want" = woke ] && [ $n -eq $# ]; then
      check "$name: the show ends after $input" wait_ended "$SHOW_PID" 8
    else
      sleep 1
      check "$name: the show still runs after $input" show_running
    fi
  done
  if [ "$want" = kept ] && show_running; then
    key alt+F4
    check "$name: Alt+F4 ends the show" wait_ended "$SHOW_PID" 8
  fi
  stop_show
}

# name                       mode        want  inputs
run_case "mouse: far moves"        mouse-move woke "moves_beyond 2" "moves_beyond 5"
run_case "mouse: moves near 0,0"   mouse-move kept moves_within right_click left_click shift_key alt_key
run_case "click: left"             click      woke moves_beyond shift_key alt_key left_click
run_case "click: right"            click      woke right_click
run_case "key: shift"              key        woke moves_beyond left_click right_click alt_key shift_key
run_case "key: letter"             key        woke letter_key
run_case "key: kept"               key        kept alt_key
run_case "any: shift"              any        woke shift_key
run_case "any: moves"              any        woke "moves_beyond 2" "moves_beyond 5"
run_case "any: click"              any        woke right_click
run_case "any: alt"                any        kept alt_key moves_within
run_case "none: nothing wakes"     none       kept moves_beyond left_click right_click shift_key letter_key alt_key
run_case "mouse: alt+F4"           mouse-move kept
run_case "click: alt+F4"           click      kept
finish
