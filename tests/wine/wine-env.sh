#!/usr/bin/env bash
# The Wine test fixture: a private Xvfb display and a fresh Wine prefix under the build tree.
#   wine-env.sh start STATE       start Xvfb (screen KV_SCREEN, default 1280x1024x24),
#                                 create the prefix, record both in STATE/env
#   wine-env.sh run STATE CMD...  run a Windows program there (exit code passes through)
#   wine-env.sh stop STATE        stop the wineserver and Xvfb that start made
# Only the 64-bit loader is used: 32-bit programs cannot run on these machines.
set -uo pipefail
WINE=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
cmd=${1:?usage: wine-env.sh start|run|stop STATE ...}
state=${2:?usage: wine-env.sh start|run|stop STATE ...}
shift 2

stop() {
  [ -f "$state/env" ] || return 0
  # shellcheck disable=SC1091
  . "$state/env"
  WINEPREFIX=$WINEPREFIX "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${KV_XVFB_PID:-}" ] && kill -0 "$KV_XVFB_PID" 2>/dev/null; then
    kill "$KV_XVFB_PID" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$KV_XVFB_PID" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$KV_XVFB_PID" 2>/dev/null || true
  fi
  rm -f "$state/env"
}

case "$cmd" in
start)
  stop
  rm -rf "$state" && mkdir -p "$state"
  display=
  for n in $(seq 91 250); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
  done
  [ -n "$display" ] || { echo "no free X display number"; exit 1; }
  Xvfb ":$display" -screen 0 "${KV_SCREEN:-1280x1024x24}" -nolisten tcp >"$state/xvfb.log" 2>&1 &
  xpid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
  if ! kill -0 "$xpid" 2>/dev/null; then echo "Xvfb did not start:"; cat "$state/xvfb.log"; exit 1; fi
  {
    echo "export DISPLAY=:$display"
    echo "export WINEPREFIX=$state/prefix"
    echo "export WINEDEBUG=-all"
    echo "export WINEDLLOVERRIDES='mscoree,mshtml=;winemenubuilder.exe=d'"
    echo "KV_XVFB_PID=$xpid"
  } >"$state/env"
  # shellcheck disable=SC1091
  . "$state/env"
  "$WINE" wineboot --init >"$state/wineboot.log" 2>&1
  # No crash dialogs: a crashing test must end, not wait for a click.
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$WINESERVER" -w
  echo "Wine prefix $WINEPREFIX on display :$display"
  ;;
run)
  [ -f "$state/env" ] || { echo "the Wine fixture is not running ($state/env missing)"; exit 1; }
  # shellcheck disable=SC1091
  . "$state/env"
  exec "$WINE" "$@"
  ;;
stop)
  stop
  ;;
*)
  echo "usage: wine-env.sh start|run|stop STATE ..."; exit 2 ;;
esac
