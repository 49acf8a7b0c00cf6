#!/usr/bin/env bash
# Runs the tests of the mingw build under Wine: a fresh prefix inside the build
# folder (made once, without Mono and Gecko prompts), one wineserver kept for
# the whole run and stopped at its end, and a virtual display for the GUI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="$root/build/mingw/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-tests: creating the Wine prefix"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
cd "$root"
xvfb-run -a ctest --preset mingw "$@"
