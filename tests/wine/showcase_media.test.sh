#!/usr/bin/env bash
# A Flash show and a show over music, under Wine: the built-in movie player fills the
# show area with each movie's background colour and the show moves on to the next movie
# near the end of the current one; music on a machine without sound output neither
# stops the show nor keeps the program busy reopening tracks.
set -uo pipefail
. "$(dirname "$0")/gui-lib.sh"
gui_init "$@"

# movie FILE RRGGBB FRAMES: an uncompressed movie of a 400x300 stage at 10 frames a
# second whose first frame sets the background colour.
movie() {
  python3 - "$1" "$2" "$3" <<'PY'
import struct, sys
path, colour, frames = sys.argv[1], bytes.fromhex(sys.argv[2]), int(sys.argv[3])
def rect(xmax, ymax, nbits=15):
    bits = format(nbits, '05b') + ''.join(format(v, '0%db' % nbits) for v in (0, xmax, 0, ymax))
    bits += '0' * (-len(bits) % 8)
    return bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
body = rect(400 * 20, 300 * 20) + struct.pack('<HH', 10 << 8, frames)
body += struct.pack('<H', (9 << 6) | 3) + colour
body += struct.pack('<H', 1 << 6) * frames + struct.pack('<H', 0)
open(path, 'wb').write(b'FWS' + bytes([6]) + struct.pack('<I', 8 + len(body)) + body)
PY
}
# wav FILE SECONDS: a quiet tone, 8 kHz mono 8-bit.
wav() {
  python3 - "$1" "$2" <<'PY'
import math, struct, sys
path, seconds = sys.argv[1], float(sys.argv[2])
n = int(8000 * seconds)
data = bytes(128 + int(20 * math.sin(i * 2 * math.pi * 440 / 8000)) for i in range(n))
header = b'RIFF' + struct.pack('<I', 36 + n) + b'WAVEfmt ' + struct.pack('<IHHIIHH', 16, 1, 1, 8000, 8000, 1, 8)
open(path, 'wb').write(header + b'data' + struct.pack('<I', n) + data)
PY
}
# cpu_ticks PID: user plus system clock ticks the process has used so far.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }

# --- Flash: red, then blue, in the 1024x768 area at 128,128
movie "$WORK/red.swf" ff0000 12
movie "$WORK/blue.swf" 0000ff 12
scr=$(make_saver flash --flash "$WORK/red.swf" "$WORK/blue.swf" --design 1024x768 --quit any) || exit 1
if start_show "$scr"; then
  check "flash: the first movie's red fills the area" \
    poll 10 eval 'f=$(shot flash-red) && near "$(region_mean "$f" 128 128 1024 768)" ff0000 8'
  check "flash: black outside the area" is_black "$f" 0 0 1280 128
  check "flash: the next movie's blue follows near the end of the red one" \
    poll 15 eval 'f=$(shot flash-blue) && near "$(region_mean "$f" 128 128 1024 768)" 0000ff 8'
  check "flash: and red again after the last movie" \
    poll 15 eval 'f=$(shot flash-red-again) && near "$(region_mean "$f" 128 128 1024 768)" ff0000 8'
  key a
  check "flash: a key ends the show" wait_ended "$SHOW_PID" 8
else
  fail "flash: no show window"
fi
stop_show

# --- music without a sound device: the show goes on, quietly
wav "$WORK/one.wav" 3
wav "$WORK/two.wav" 2
scr=$(make_saver music --music "$WORK/one.wav" "$WORK/two.wav" --design 1024x768 --interval 2 --quit click) || exit 1
if start_show "$scr"; then
  sleep 3
  before=$(cpu_ticks "$SHOW_PID")
  sleep 4
  after=$(cpu_ticks "$SHOW_PID")
  used=$((after - before))
  # Two or three transitions fall into these four seconds; a playlist reopening tracks
  # without pause would keep a core busy all the time (400 ticks).
  check "music: the program stays mostly idle ($used ticks of 400 in 4 s)" test "$used" -lt 200
  check "music: no message box" eval '! probe find-text "load music error" --timeout 500 >/dev/null'
  check "music: the show runs on" show_running
  f=$(shot music)
  check "music: pictures show in the area" not_black "$f" 128 128 1024 768
  click 1
  check "music: a click ends the show" wait_ended "$SHOW_PID" 8
else
  fail "music: no show window"
fi
stop_show
finish
