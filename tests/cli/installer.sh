#!/usr/bin/env bash
# kvpack installer, build --installer and inspect of installer files.
. "$(dirname "$0")/lib.sh"

# A stand-in installer program: PE headers whose one section ends at 0x400, then a few
# bytes of symbol table.
make_program() {
  head -c 1100 /dev/zero >"$1"
  put() { printf "$2" | dd of="$1" bs=1 seek=$(($3)) conv=notrunc status=none; }
  put "$1" 'MZ' 0; put "$1" '\100' 0x3C; put "$1" 'PE' 0x40; put "$1" '\001' 0x46
  put "$1" '\002' 0x69; put "$1" '\002' 0x6D   # raw size 0x200 at raw pointer 0x200
  printf 'symbols.' | dd of="$1" bs=1 seek=1092 conv=notrunc status=none
}
make_program "$WORK/deployer.exe"
printf 'MZ stand-in screensaver' >"$WORK/program.exe"
mapfile -t photos < <(ls "$PHOTOS"/*.jpg | sort | head -n 2)

check "build" "$KVPACK" build --out "$WORK/Lagoon.scr" --program "$WORK/program.exe" \
  --pictures "${photos[@]}" --no-resize --quit key >/dev/null
check "installer" "$KVPACK" installer --saver "$WORK/Lagoon.scr" --out "$WORK/Install-Lagoon.exe" \
  --deployer "$WORK/deployer.exe" >"$WORK/made.txt"
grep -q 'installs as Lagoon.scr' "$WORK/made.txt" || fail "installer line: $(cat "$WORK/made.txt")"

# Layout: the program, the screensaver byte for byte, its length (little-endian).
n=$(stat -c %s "$WORK/Lagoon.scr")
check "program first" cmp -n 1100 "$WORK/deployer.exe" "$WORK/Install-Lagoon.exe"
check "payload" cmp <(tail -c +1101 "$WORK/Install-Lagoon.exe" | head -c "$n") "$WORK/Lagoon.scr"
count=$(tail -c 4 "$WORK/Install-Lagoon.exe" | od -An -tu4 --endian=little | tr -d ' ')
check "count $count is $n" [ "$count" = "$n" ]
check "size" [ "$(stat -c %s "$WORK/Install-Lagoon.exe")" -eq $((1100 + n + 4)) ]

"$KVPACK" inspect "$WORK/Install-Lagoon.exe" >"$WORK/inspect.txt" || fail "inspect installer: exit status"
grep -q 'an installer' "$WORK/inspect.txt" || fail "inspect: not seen as an installer"
grep -q "^payload: *$n bytes from offset 1100" "$WORK/inspect.txt" || fail "inspect: payload line"
grep -q 'installs as: Lagoon.scr' "$WORK/inspect.txt" || fail "inspect: installs as"
grep -q 'QuitMode *3' "$WORK/inspect.txt" || fail "inspect: the payload's settings"
grep -q 'PictureCount *2' "$WORK/inspect.txt" || fail "inspect: the payload's pictures"
"$KVPACK" inspect "$WORK/deployer.exe" >/dev/null && fail "inspect of the bare program succeeds"

# build --installer makes both in one go.
check "build --installer" "$KVPACK" build --out "$WORK/Both.scr" --program "$WORK/program.exe" \
  --pictures "${photos[0]}" --no-resize --installer "$WORK/Setup.exe" --deployer "$WORK/deployer.exe" >/dev/null
check "Setup.exe carries Both.scr" cmp <(tail -c +1101 "$WORK/Setup.exe" | head -c "$(stat -c %s "$WORK/Both.scr")") "$WORK/Both.scr"

# Bad input: one line, nothing written.
printf 'no package here' >"$WORK/plain.scr"
expect_failure "no package" "not a screensaver file" installer --saver "$WORK/plain.scr" \
  --out "$WORK/out/I.exe" --deployer "$WORK/deployer.exe"
expect_failure "not a program" "not a Windows program" installer --saver "$WORK/Lagoon.scr" \
  --out "$WORK/out/I.exe" --deployer "$WORK/program.exe"
expect_failure "an installer as the program" "already an installer" installer --saver "$WORK/Lagoon.scr" \
  --out "$WORK/out/I.exe" --deployer "$WORK/Install-Lagoon.exe"
expect_failure "missing saver" "no such file" installer --saver "$WORK/none.scr" \
  --out "$WORK/out/I.exe" --deployer "$WORK/deployer.exe"
expect_failure "missing --out" "--out" installer --saver "$WORK/Lagoon.scr" --deployer "$WORK/deployer.exe"
expect_failure "build with a bad installer program" "not a Windows program" build --out "$WORK/out/S.scr" \
  --program "$WORK/program.exe" --pictures "${photos[0]}" --no-resize --installer "$WORK/out/I.exe" \
  --deployer "$WORK/program.exe"
finish
