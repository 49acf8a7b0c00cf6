#!/usr/bin/env bash
# Whole runs of the real setup.exe under Wine, clicked through from outside by
# vxauto with the example scripts: a new installation into five simulated IDEs
# installed in the Wine prefix, an update, maintenance and an uninstallation,
# and a run cancelled while it works; then the registry and the files. Then
# unattended runs (--autoupdate, --autoinstall) with their exit codes.
# Runs in a copy of the test prefix (files linked, the registry copied), so
# what it installs goes with the copy.
#
#   wine_wizard_runs.sh SETUP VXAUTO INSTALLIDES TOOLS_DIR PACKAGE_DIR ARCHIVER_DIR EXAMPLES_DIR
set -uo pipefail
setup=$1 vxauto=$2 installides=$3 tools=$4 package=$5 archiver=$6 examples=$7
here=$(cd "$(dirname "$0")" && pwd)
prefix=${WINEPREFIX:-$here/../../build/mingw/wineprefix}
[ -f "$prefix/system.reg" ] || { echo "no Wine prefix at $prefix: run scripts/wine-tests.sh"; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "no display: run under xvfb-run (scripts/wine-tests.sh does)"; exit 1; }

work=$(mktemp -d /tmp/vexorin-wine-runs-XXXXXX)
cleanup() {
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
# The registry from before the other tests (scripts/wine-tests.sh saves it):
# the live one may hold what a test is installing just now.
registry=${VEXORIN_WINE_REGISTRY:-$prefix}
cp -al "$prefix" "$work/prefix"
for hive in "$work"/prefix/*.reg; do cp --remove-destination "$registry/$(basename "$hive")" "$hive"; done
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineserver -p 5

status=0
ok() { echo "ok   $1"; }
fail() { echo "FAIL $1"; status=1; }
check() { # description, text, pattern (fixed string)
  if grep -qF -- "$3" <<<"$2"; then ok "$1"; else fail "$1"; echo "---- wanted: $3"; echo "$2" | head -40; fi
}
check_not() { # description, text, pattern
  if grep -qF -- "$3" <<<"$2"; then fail "$1"; echo "---- unwanted: $3"; else ok "$1"; fi
}
reg32() { wine reg query "$1" /s /reg:32 2>/dev/null | tr -d '\r'; }
reg64() { wine reg query "$1" /s 2>/dev/null | tr -d '\r'; }
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }

pkg=$WINEPREFIX/drive_c/Vexorin
mkdir -p "$pkg"
cp "$package"/* "$pkg/"
cp "$setup" "$pkg/setup.exe"
cp "$archiver/7z.exe" "$archiver/7z.dll" "$pkg/"
install_dir="$WINEPREFIX/drive_c/Program Files (x86)/Orlentix/Vexorin"
product='HKLM\Software\Orlenta Software\Vexorin'
uninstall_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VxVexorinVCL'

if ! wine "$installides" "$(winpath "$tools")" delphi7 bcb6 bds5 bds9 bds23 >"$work/ides" 2>&1 </dev/null; then
  cat "$work/ides"
  exit 1
fi

# A step may wait for a whole run on a busy machine: the timeout only guards against a hang.
run() { # name, script file
  local started=$SECONDS
  wine "$vxauto" --timeout 300 "$(winpath "$2")" 'C:\Vexorin\setup.exe' >"$work/out" 2>&1 </dev/null
  local rc=$?
  if [ $rc -eq 0 ]; then
    ok "$1 clicked through ($((SECONDS - started)) s)"
    grep -h 'shown .* ms after the start' "$work/out" || true
  else fail "$1: exit code $rc"; cat "$work/out"; fi
}

run "new installation" "$examples/new-installation.txt"
state=$(reg32 "$product")
check "the product key names the installed version" "$state" "5.12.3.811 Professional Edition With Sources"
for ide in "C++Builder 6.0 (Enterprise)" "CodeGear RAD Studio 2007 (Enterprise)" "Delphi 7.0 (Enterprise)" \
           "Embarcadero RAD Studio 12 Win32 (Enterprise)" "Embarcadero RAD Studio XE2 Win32 (Enterprise)"; do
  check "the product key has $ide" "$state" "Vexorin\\$ide"
done
check "Delphi 7 knows the design-time package" "$(reg64 'HKCU\Software\Borland\Delphi\7.0\Known Packages')" \
  "vxVexorinDsgnD7.bpl"
check "the uninstall entry is there" "$(reg32 "$uninstall_key")" "5.12.3.811 Professional Edition With Sources"
if grep -q 'Info\]Installation completed' "$install_dir/setup.log" 2>/dev/null; then ok "setup.log of the run"; else
  fail "setup.log of the run"; fi

printf '5.12.4.900 Professional With Sources\r\n' >"$pkg/version"
run "update" "$examples/update.txt"
check "the update recorded the new version" "$(reg32 "$product")" "5.12.4.900 Professional Edition With Sources"

run "maintenance" "$examples/maintenance.txt"
state=$(reg32 "$product")
check "maintenance added XE2 Win64" "$state" "Embarcadero RAD Studio XE2 Win64 (Enterprise)"
check_not "maintenance took Delphi 7 out" "$state" "Delphi 7.0"
check_not "Delphi 7 no longer knows the package" "$(reg64 'HKCU\Software\Borland\Delphi\7.0\Known Packages')" \
  "vxVexorin"

run "uninstallation" "$examples/uninstall.txt"
check_not "the product key is gone" "$(reg32 "$product")" "InstalledVersion"
check_not "the uninstall entry is gone" "$(reg32 "$uninstall_key")" "DisplayName"
check_not "RAD Studio 12 no longer knows the package" \
  "$(reg64 'HKCU\Software\Embarcadero\BDS\23.0\Known Packages')" "vxVexorin"

# Cancel while the run works, with every stand-in tool slow: the window
# answers while a tool runs, the run completes and the program ends without
# the finish page.
cat >"$work/cancel.txt" <<'SCRIPT'
expect "Welcome to the Vexorin Installation Wizard"
click "Next >"
check "Yes, I accept this agreement"
click "Next >"
click "Next >"
click "Next >"
click "Next >"
click "Next >"
expect "Configuration"
click "Next >"
while-running click "Cancel"
SCRIPT
printf '5.12.3.811 Professional With Sources\r\n' >"$pkg/version"
export VEXORIN_STANDIN_DELAY_MS=200
run "cancel during a run with slow tools" "$work/cancel.txt"
unset VEXORIN_STANDIN_DELAY_MS
check "the cancelled run completed" "$(cat "$install_dir/setup.log" 2>/dev/null)" "Installation completed"

# Unattended runs, as deployment tools start the program: no clicks.
unattended() { # name, expected exit code, arguments...
  local name=$1 want=$2
  shift 2
  wine "$pkg/setup.exe" "$@" >"$work/out" 2>&1 </dev/null
  local rc=$?
  if [ $rc -eq "$want" ]; then ok "$name: exit code $rc"; else fail "$name: exit code $rc, not $want"; cat "$work/out"; fi
}
unattended "--autoupdate with this version installed" 5 --autoupdate --autoclose
check "nothing to update" "$(tr -d '\r' <"$work/out")" "Nothing to update: the installed version is this package's version."
printf '5.12.4.900 Professional With Sources\r\n' >"$pkg/version"
unattended "--autoupdate --autoclose" 0 --autoupdate --autoclose
check "the unattended update recorded the new version" "$(reg32 "$product")" "5.12.4.900 Professional Edition With Sources"
check "the unattended run says where its log is" "$(tr -d '\r' <"$work/out")" "setup.log: C:\\Program Files (x86)\\Orlentix\\Vexorin\\setup.log"
unattended "--autoinstall --autoclose in maintenance" 0 --autoinstall --autoclose
check "every IDE has the suite" "$(reg32 "$product")" "Embarcadero RAD Studio XE2 Win64 (Enterprise)"
exit $status
