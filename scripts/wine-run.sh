#!/usr/bin/env bash
# Runs a Windows program of the mingw build under Wine, in the build's own
# prefix. Used by CTest as the cross-compiling emulator.
set -u
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/../build/mingw/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d;explorer.exe=d}
exec wine "$@"
