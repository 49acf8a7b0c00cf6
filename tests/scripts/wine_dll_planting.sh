#!/usr/bin/env bash
# setup.exe loads no DLL from its own folder: copies of a planted DLL named
# like system DLLs lie beside it, and the program starts, shows its first
# window and closes. A planted DLL that is loaded leaves a marker file.
#
# Wine prefers its own builtin DLLs; WINEDLLOVERRIDES "n,b" makes it search
# for the planted names as Windows does (the program's folder first unless the
# program limits the search), so a program without the limit fails here.
# version.dll is not among them: Wine's own user32.dll imports it, so with that
# override Wine would load the planted one while it loads user32, before any
# code of setup.exe runs (on Windows user32 is a known DLL with known-DLL
# imports only). setup.exe's own imports are checked by the setup_exe test.
#
#   wine_dll_planting.sh SETUP PLANTED_DLL VXAUTO PACKAGE_DIR
set -uo pipefail
setup=$1 planted=$2 vxauto=$3 package=$4
here=$(cd "$(dirname "$0")" && pwd)
prefix=${WINEPREFIX:-$here/../../build/mingw/wineprefix}
[ -f "$prefix/system.reg" ] || { echo "no Wine prefix at $prefix: run scripts/wine-tests.sh"; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "no display: run under xvfb-run (scripts/wine-tests.sh does)"; exit 1; }

# A copy of the prefix with the registry from before the other tests: no IDE,
# nothing installed, so the first window is the no-IDE dialog.
work=$(mktemp -d /tmp/vexorin-dll-planting-XXXXXX)
cleanup() {
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
registry=${VEXORIN_WINE_REGISTRY:-$prefix}
cp -al "$prefix" "$work/prefix"
for hive in "$work"/prefix/*.reg; do cp --remove-destination "$registry/$(basename "$hive")" "$hive"; done
planted_names="comctl32 riched20 uxtheme dwmapi winmm propsys cryptbase msftedit"
export WINEPREFIX=$work/prefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;$(tr ' ' ',' <<<"$planted_names")=n,b"
wineserver -p 5

status=0
ok() { echo "ok   $1"; }
fail() { echo "FAIL $1"; status=1; }

downloads=$WINEPREFIX/drive_c/users/Public/Downloads/Vexorin
mkdir -p "$downloads"
cp "$package"/* "$downloads/"
cp "$setup" "$downloads/setup.exe"
for name in $planted_names; do cp "$planted" "$downloads/$name.dll"; done

cat >"$work/first-window.txt" <<'SCRIPT'
expect "Vexorin Trial Version"
click "Continue with the installation"
expect "Welcome to the Vexorin Installation Wizard"
click "Cancel"
SCRIPT
wine "$vxauto" --timeout 60 "$(winepath -w "$work/first-window.txt" 2>/dev/null | tr -d '\r')" \
  'C:\users\Public\Downloads\Vexorin\setup.exe' >"$work/out" 2>&1 </dev/null
rc=$?
if [ $rc -eq 0 ]; then ok "setup.exe showed its first windows and closed"; else
  fail "setup.exe with planted DLLs beside it: exit code $rc"; cat "$work/out"; fi
for name in $planted_names; do
  if [ -e "$downloads/$name.dll.loaded" ]; then fail "the planted $name.dll was loaded"; else
    ok "the planted $name.dll was not loaded"; fi
done
exit $status
