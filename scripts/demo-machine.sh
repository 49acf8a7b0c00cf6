#!/usr/bin/env bash
# Makes a simulated machine for the real program to run on: Delphi 7,
# C++Builder 6, RAD Studio 2007, XE2 and 12 (XE2 and 12 for Win32 and Win64)
# with the stand-in command-line tools, and the sample package with setup.exe
# in C:\Users\Developer\Downloads\Vexorin.
#
#   demo-machine.sh MACHINE_DIR [--build BUILD_DIR] [--ides "PROFILE ..."]
#
# MACHINE_DIR is made afresh. BUILD_DIR is a native build (build/native) with
# the program, the simwin command, the stand-ins and the sample package.
set -euo pipefail

usage() {
  echo "usage: $0 MACHINE_DIR [--build BUILD_DIR] [--ides \"PROFILE ...\"]" >&2
  exit 2
}

[ $# -ge 1 ] || usage
machine=$1
shift
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/native
ides="delphi7 bcb6 bds5 bds9 bds23"
while [ $# -gt 0 ]; do
  case $1 in
    --build) build=$(cd "${2:?}" && pwd); shift 2 ;;
    --ides) ides=${2?}; shift 2 ;;
    *) usage ;;
  esac
done
simwin=$build/tools/simwin
for needed in "$simwin" "$build/Install/setup" "$build/examples/package/data.arc"; do
  [ -e "$needed" ] || { echo "$0: $needed is missing: build the native preset first" >&2; exit 1; }
done

rm -rf "$machine"
"$simwin" create "$machine" >/dev/null
for profile in $ides; do
  "$simwin" install-ide "$machine" "$profile" --tools "$build/tools" >/dev/null
done

package='C:\Users\Developer\Downloads\Vexorin'
host_package="$machine/drive_c/Users/Developer/Downloads/Vexorin"
mkdir -p "$host_package"
"$simwin" tools "$machine" "$package" 7z >/dev/null
cp "$build"/examples/package/* "$host_package/"
cp "$build/Install/setup" "$host_package/setup.exe"
echo "$package"
