#!/usr/bin/env bash
# The delivered programs are 32-bit Windows executables that stand alone: checks their
# format, that they import no C or C++ runtime DLL, and that they stay small.
set -euo pipefail
bindir=$1; shift
limit=$((8 * 1024 * 1024))
status=0
for exe in "$@"; do
  f="$bindir/$exe"
  if [ ! -f "$f" ]; then echo "missing: $f"; status=1; continue; fi
  fmt=$(i686-w64-mingw32-objdump -f "$f" | sed -n 's/.*file format //p')
  [ "$fmt" = "pei-i386" ] || { echo "$exe: format $fmt, want pei-i386"; status=1; }
  dlls=$(i686-w64-mingw32-objdump -p "$f" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
  for d in $dlls; do
    case "$d" in
      libstdc++*|libgcc*|libwinpthread*|libjpeg*|zlib*|libz*) echo "$exe depends on $d"; status=1 ;;
    esac
  done
  size=$(stat -c %s "$f")
  [ "$size" -le "$limit" ] || { echo "$exe: $size bytes, over $limit"; status=1; }
  echo "$exe: $fmt, $size bytes, imports: $(echo $dlls | tr '\n' ' ')"
done
exit $status
