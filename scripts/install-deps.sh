#!/usr/bin/env bash
# Installs what the native and the Windows builds need: Debian packages, then
# PCRE2, pugixml and GoogleTest cross-built with MinGW-w64 from Debian's source
# packages into a cache outside the clone. Idempotent and quiet when done.
# With --native, only what the native build (the simulated machine) needs.
set -euo pipefail

native_only=0
[ "${1:-}" = "--native" ] && native_only=1

here=$(cd "$(dirname "$0")" && pwd)
cache=${VEXORIN_CACHE:-$HOME/.cache/vexorin}
sudo=""
[ "$(id -u)" = 0 ] || sudo="sudo"

packages=(
  build-essential cmake ninja-build ccache pkg-config dpkg-dev clang-format
  libpcre2-dev libpugixml-dev libicu-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  7zip mingw-w64 g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix
  wine wine32:i386 wine64 xvfb xauth python3
  clang libclang-rt-14-dev
)
if [ $native_only = 1 ]; then
  packages=(build-essential cmake ninja-build ccache pkg-config clang-format libpcre2-dev libpugixml-dev libicu-dev googletest
    libgtest-dev libgmock-dev libbenchmark-dev 7zip)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

need_update=0
if [ $native_only = 0 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  need_update=1
fi
if [ $native_only = 0 ] && ! grep -rqs '^Types: .*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  $sudo tee /etc/apt/sources.list.d/vexorin-deb-src.sources >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  need_update=1
fi

if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  echo "install-deps: installing ${missing[*]:-(package lists only)}"
  $sudo apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi

[ $native_only = 1 ] || "$here/build-mingw-deps.sh" "$cache/mingw-deps"
