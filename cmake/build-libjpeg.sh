#!/usr/bin/env bash
# Builds libjpeg-turbo from Debian's source package for one mingw target, once.
# usage: build-libjpeg.sh TOOLCHAIN_FILE PREFIX
# The result (static library and headers) is cached in PREFIX; a stamp file marks
# a complete build, so an interrupted build is redone from scratch.
set -euo pipefail
toolchain=$1
prefix=$2
deps=$(dirname "$prefix")
stamp="$prefix/.complete"
[ -f "$stamp" ] && exit 0

src="$deps/src"
if ! ls -d "$src"/libjpeg-turbo-*/ >/dev/null 2>&1; then
  rm -rf "$src.tmp" && mkdir -p "$src.tmp"
  (cd "$src.tmp" && apt-get source -q libjpeg-turbo >/dev/null 2>&1)
  rm -rf "$src" && mv "$src.tmp" "$src"
fi
srcdir=$(ls -d "$src"/libjpeg-turbo-*/ | head -n 1)

work="$prefix.build"
rm -rf "$work" "$prefix"
cmake -S "$srcdir" -B "$work" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
  -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
  -DCMAKE_ASM_NASM_COMPILER=nasm >"$work.log" 2>&1 || { cat "$work.log"; exit 1; }
cmake --build "$work" --target jpeg-static >>"$work.log" 2>&1 || { tail -n 50 "$work.log"; exit 1; }
mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/libjpeg.a" "$prefix/lib/"
cp "$srcdir/jpeglib.h" "$srcdir/jmorecfg.h" "$srcdir/jerror.h" "$work/jconfig.h" "$prefix/include/"
rm -rf "$work" "$work.log"
touch "$stamp"
