#!/usr/bin/env bash
# Takes the screenshots of every page and dialog of the Windows setup program
# under Wine with a virtual display, into docs/screenshots/ (PNG): vxauto
# clicks through the runs below and saves a picture of each window it meets.
# Needs the mingw build (cmake --build --preset mingw) and its Wine prefix
# (scripts/wine-tests.sh makes it).
#
#   xvfb-run -a -s "-screen 0 1600x1200x24" scripts/screenshots.sh [--dpi 96|144] [OUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dpi=96
if [ "${1:-}" = "--dpi" ]; then dpi=$2; shift 2; fi
out=${1:-$root/docs/screenshots}
build=$root/build/mingw
deps=${VEXORIN_MINGW_DEPS:-$HOME/.cache/vexorin/mingw-deps}
for needed in "$build/Install/setup.exe" "$build/tools/vxauto.exe" "$build/tests/installides.exe" \
              "$build/wineprefix/system.reg"; do
  [ -e "$needed" ] || { echo "$0: $needed is missing: build the mingw preset and run scripts/wine-tests.sh" >&2; exit 1; }
done

work=$(mktemp -d /tmp/vexorin-shots-XXXXXX)
cleanup() {
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
# A copy of the test prefix (files linked, the registry copied).
cp -al "$build/wineprefix" "$work/prefix"
for hive in "$work"/prefix/*.reg; do cp --remove-destination "$build/wineprefix/$(basename "$hive")" "$hive"; done
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# The screen's DPI, as the display settings would set it.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1

pkg=$WINEPREFIX/drive_c/Vexorin
mkdir -p "$pkg" "$work/shots"
cp "$build"/examples/package/* "$pkg/"
cp "$build/Install/setup.exe" "$pkg/setup.exe"
cp "$deps/7zip/7z.exe" "$deps/7zip/7z.dll" "$pkg/"

# A virtual desktop of Wine's, which draws the window frames.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Shots /f >/dev/null 2>&1
# 1024 x 768 at 100 %, larger in proportion to the DPI, so the largest dialog fits.
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Shots /d "$((1024 * dpi / 96))x$((768 * dpi / 96))" /f \
  >/dev/null 2>&1
shoot() { # name, script
  local name=$1 script=$work/$1.txt
  printf '%s\n' "$2" >"$script"
  mkdir -p "$work/shots/$name"
  wine "$build/tools/vxauto.exe" --timeout 300 \
    --shots "$(winepath -w "$work/shots/$name" | tr -d '\r')" "$(winepath -w "$script" | tr -d '\r')" \
    'C:\Vexorin\setup.exe' </dev/null || echo "$0: the run $name did not end well" >&2
}

run_all() {
  shoot 1-no-ide 'expect "Vexorin Trial Version"
answer "Continue with the installation"
expect "Welcome to the Vexorin Installation Wizard"
click "Cancel"'
  wine "$build/tests/installides.exe" "$(winepath -w "$build/tools" | tr -d '\r')" delphi7 bcb6 bds5 bds9 bds23 \
    >/dev/null </dev/null
  shoot 2-new "expect \"Welcome to the Vexorin Installation Wizard\"
click \"Next >\"
expect \"License agreement\"
check \"Yes, I accept this agreement\"
click \"Next >\"
expect \"Destination Folder\"
click \"...\"
browse cancel
click \"Next >\"
expect \"Select program folder\"
click \"Next >\"
expect \"Select compilation mode\"
click \"Next >\"
expect \"Choose IDE Targets\"
click \"Next >\"
expect \"Configuration\"
pick \"Options for\" \"Embarcadero RAD Studio 12 Win32 (Enterprise)\"
click \"Next >\"
expect \"Compiling and Installing Packages\"
click \"Next >\"
expect \"Installation completed\"
uncheck \"Open the Vexorin Knowledge Book\"
click \"Finish\""
  printf '5.12.4.900 Professional With Sources\r\n' >"$pkg/version"
  shoot 3-update "$(cat "$root/examples/update.txt")"
  shoot 4-maintenance "$(cat "$root/examples/maintenance.txt")"
  shoot 5-uninstall "$(cat "$root/examples/uninstall.txt")"
}
run_all

mkdir -p "$out"
for run in "$work"/shots/*/; do
  for picture in "$run"*.bmp; do
    [ -e "$picture" ] || continue
    python3 "$root/tools/pictures/bmp-to-png.py" "$picture" "$out/$(basename "$run")-$(basename "${picture%.bmp}").png"
  done
done
ls "$out"
