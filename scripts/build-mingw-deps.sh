#!/usr/bin/env bash
# Cross-builds PCRE2, pugixml, GoogleTest and Google Benchmark for i686-w64-mingw32 (posix threads,
# static) from Debian's source packages. Output: <prefix>/{include,lib,lib/cmake}.
# Also the archiver the Windows build's tests run: 7z.exe with 7z.dll from
# Debian's 7zip source, in <prefix>/7zip.
# A stamp per library keeps later runs from rebuilding.
set -euo pipefail

prefix=${1:?usage: build-mingw-deps.sh PREFIX}
here=$(cd "$(dirname "$0")" && pwd)
toolchain="$here/../cmake/mingw-i686.cmake"
mkdir -p "$prefix"
src_root="$prefix/../mingw-src"
mkdir -p "$src_root"

build_one() { # name, source package, extra cmake args...
  local name=$1 pkg=$2
  shift 2
  local stamp="$prefix/.$name.done"
  [ -f "$stamp" ] && return 0
  echo "build-mingw-deps: building $name"
  local work="$src_root/$pkg"
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && apt-get source -qq --download-only "$pkg" >/dev/null 2>&1 \
     && dpkg-source -x --skip-patches "$(ls ./*.dsc | head -n1)" src >/dev/null 2>&1 \
     || { cd "$work" && apt-get source -qq "$pkg" >/dev/null; })
  local src
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n1)
  cmake -S "$src" -B "$work/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF "$@" >"$work/configure.log" 2>&1 \
    || { cat "$work/configure.log"; exit 1; }
  cmake --build "$work/build" >"$work/build.log" 2>&1 || { tail -50 "$work/build.log"; exit 1; }
  cmake --install "$work/build" >/dev/null
  rm -rf "$work"
  touch "$stamp"
}

build_one pcre2 pcre2 -DPCRE2_BUILD_PCRE2GREP=OFF -DPCRE2_BUILD_TESTS=OFF \
  -DPCRE2_SUPPORT_JIT=OFF -DPCRE2_STATIC_RUNTIME=ON
build_one pugixml pugixml -DPUGIXML_BUILD_TESTS=OFF
build_one googletest googletest -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=ON
build_one benchmark benchmark -DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_GTEST_TESTS=OFF \
  -DBENCHMARK_ENABLE_WERROR=OFF -DBENCHMARK_ENABLE_INSTALL=ON

# The archiver for Windows: the console front end and the format library.
build_7zip() {
  local stamp="$prefix/.7zip.done"
  [ -f "$stamp" ] && return 0
  echo "build-mingw-deps: building 7-Zip"
  local work="$src_root/7zip"
  rm -rf "$work" && mkdir -p "$work"
  (cd "$work" && apt-get source -qq --download-only 7zip >/dev/null 2>&1 \
     && dpkg-source -x --skip-patches "$(ls ./*.dsc | head -n1)" src >/dev/null 2>&1)
  local flags=(-f ../../cmpl_gcc.mak IS_MINGW=1 DISABLE_RAR=1 CROSS_COMPILE=i686-w64-mingw32-
               RC=i686-w64-mingw32-windres MY_MKDIR="mkdir -p" RM="rm -f")
  local part
  for part in Bundles/Format7zF UI/Console; do
    make -C "$work/src/CPP/7zip/$part" -j"$(nproc)" "${flags[@]}" >"$work/build.log" 2>&1 \
      || { tail -50 "$work/build.log"; exit 1; }
  done
  mkdir -p "$prefix/7zip"
  cp "$work/src/CPP/7zip/Bundles/Format7zF/b/g/7z.dll" "$work/src/CPP/7zip/UI/Console/b/g/7z.exe" "$prefix/7zip/"
  rm -rf "$work"
  touch "$stamp"
}
build_7zip
