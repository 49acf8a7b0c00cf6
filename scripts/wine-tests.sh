#!/usr/bin/env bash
# Runs the tests of the mingw build under Wine: a fresh prefix inside the build
# folder (made once, without Mono and Gecko prompts), one wineserver kept for
# the whole run and stopped at its end, and a virtual display for the GUI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX="$root/build/mingw/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;explorer.exe=d"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-tests: creating the Wine prefix"
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# The registry as it stands before any test: the whole runs of setup.exe
# start their own prefix from it (the server keeps the live registry in
# memory and writes it to disk only now and then).
mkdir -p "$root/build/mingw/wineprefix-registry"
cp "$WINEPREFIX"/*.reg "$root/build/mingw/wineprefix-registry/"
export VEXORIN_WINE_REGISTRY="$root/build/mingw/wineprefix-registry"
wineserver -p
trap 'wineserver -k 2>/dev/null || true' EXIT
# Start Wine's own services and the desktop process (explorer, which the GUI
# tests need) now, with no pipe of CTest's: they outlive each test and would
# otherwise hold its output open. The display is the one the tests use. Later
# starts of explorer stay disabled: a folder the program opens would start one
# that holds a test's output open.
cd "$root"
xvfb-run -a bash -c '
  wine wineboot >/dev/null 2>&1 </dev/null
  WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" wine explorer.exe /desktop >/dev/null 2>&1 </dev/null &
  sleep 3
  exec ctest --preset mingw "$@"' ctest "$@"
