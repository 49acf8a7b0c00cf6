#!/usr/bin/env bash
# One setup.exe at a time under Wine: while a first one shows its first
# window, a second one says so in a message box (answered by vxauto, or by
# itself in an unattended run) and ends with exit code 2, changing nothing.
# Once the first is killed, the next one runs.
#
#   wine_single_instance.sh SETUP VXAUTO PACKAGE_DIR
set -uo pipefail
setup=$1 vxauto=$2 package=$3
here=$(cd "$(dirname "$0")" && pwd)
prefix=${WINEPREFIX:-$here/../../build/mingw/wineprefix}
[ -f "$prefix/system.reg" ] || { echo "no Wine prefix at $prefix: run scripts/wine-tests.sh"; exit 1; }
[ -n "${DISPLAY:-}" ] || { echo "no display: run under xvfb-run (scripts/wine-tests.sh does)"; exit 1; }

# A copy of the prefix with the registry from before the other tests: no IDE,
# nothing installed, so the first window is the no-IDE dialog.
work=$(mktemp -d /tmp/vexorin-single-instance-XXXXXX)
cleanup() {
  WINEPREFIX=$work/prefix wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
registry=${VEXORIN_WINE_REGISTRY:-$prefix}
cp -al "$prefix" "$work/prefix"
for hive in "$work"/prefix/*.reg; do cp --remove-destination "$registry/$(basename "$hive")" "$hive"; done
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wineserver -p 5

status=0
ok() { echo "ok   $1"; }
fail() { echo "FAIL $1"; status=1; }
winpath() { winepath -w "$1" 2>/dev/null | tr -d '\r'; }
state() { # what a run could have changed: the product key and the installation folder
  wine reg query 'HKLM\Software\Orlenta Software' /s /reg:32 2>&1 | tr -d '\r'
  ls -R "$WINEPREFIX/drive_c/Program Files (x86)" 2>&1
}

pkg=$WINEPREFIX/drive_c/Vexorin
mkdir -p "$pkg"
cp "$package"/* "$pkg/"
cp "$setup" "$pkg/setup.exe"

# The first run waits on the no-IDE dialog until it is killed.
printf 'expect "Vexorin Trial Version"\n' >"$work/first.txt"
wine "$vxauto" --timeout 120 "$(winpath "$work/first.txt")" 'C:\Vexorin\setup.exe' >"$work/first.out" 2>&1 </dev/null &
first=$!
for _ in $(seq 600); do grep -q 'shown' "$work/first.out" 2>/dev/null && break; sleep 0.1; done
if grep -q 'shown' "$work/first.out"; then ok "the first run shows its first window"; else
  fail "the first run shows no window"; cat "$work/first.out"; exit 1; fi
before=$(state)

printf 'expect "Vexorin Installer"\nanswer "OK"\n' >"$work/second.txt"
wine "$vxauto" --timeout 60 "$(winpath "$work/second.txt")" 'C:\Vexorin\setup.exe' >"$work/out" 2>&1 </dev/null
rc=$?
if [ $rc -eq 2 ]; then ok "a second run shows its message box and ends with exit code 2"; else
  fail "a second run: exit code $rc, not 2"; cat "$work/out"; fi

wine "$pkg/setup.exe" --autoinstall --autoclose >"$work/out" 2>&1 </dev/null
rc=$?
if [ $rc -eq 2 ]; then ok "an unattended second run ends with exit code 2"; else
  fail "an unattended second run: exit code $rc, not 2"; cat "$work/out"; fi
wanted='message box "Vexorin Installer": Vexorin Setup is already running. Finish or close it before you start Setup again.'
if grep -qF "$wanted" <(tr -d '\r' <"$work/out"); then ok "it says that Setup is already running"; else
  fail "it says that Setup is already running"; cat "$work/out"; fi
if [ "$(state)" = "$before" ]; then ok "the second runs changed nothing"; else fail "the second runs changed something"; fi

# The first run killed: the next one is not blocked.
wine taskkill /f /im setup.exe >/dev/null 2>&1 </dev/null
wait $first
wine "$pkg/setup.exe" --autoupdate --autoclose >"$work/out" 2>&1 </dev/null
rc=$?
if [ $rc -eq 5 ]; then ok "after the first run was killed, the next one runs (exit code 5, nothing to update)"; else
  fail "after the first run was killed: exit code $rc, not 5"; cat "$work/out"; fi
exit $status
