#!/usr/bin/env bash
# The program's main job on a ready example: builds the program for the
# simulated machine, makes a machine with five IDEs and the sample package,
# and runs the real setup program through examples/new-installation.txt.
# The pages and the live log scroll by; at the end it says where setup.log is
# and what changed on the machine.
#
#   scripts/demo.sh [MACHINE_DIR]      (default /tmp/vexorin-demo)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
machine=${1:-/tmp/vexorin-demo}

scripts/install-deps.sh --native
cmake --preset native >/dev/null
cmake --build --preset native --target setup simwin dcc32 dcc64 bpr2mak standin_make tlib standin_7z sample_package \
  >/dev/null

build=build/native
simwin=$build/tools/simwin
package=$(scripts/demo-machine.sh "$machine")
before=$(mktemp)
after=$(mktemp)
trap 'rm -f "$before" "$after"' EXIT
"$simwin" export "$machine" "$before"

echo "== Running setup.exe in $package with examples/new-installation.txt"
status=0
SIMWIN_ROOT="$machine" VEXORIN_SETUP_SCRIPT="$root/examples/new-installation.txt" \
  "$machine/drive_c/Users/Developer/Downloads/Vexorin/setup.exe" || status=$?
"$simwin" export "$machine" "$after"

# "[key]<TAB>line" for every value line of an exported hive.
values() { tr -d "\r" <"$1" | awk '/^\[/ { key = $0; next } /^"/ { print key "\t" $0 }' | sort; }
product='HKEY_LOCAL_MACHINE\Software\Orlenta Software\Vexorin'
install_dir=$(awk -F'"' '/^"InstallDir"=/ { print $4; exit }' <("$simwin" show "$machine" "$product" 2>/dev/null) |
  sed 's/\\\\/\\/g')

echo
echo "== What changed on the machine"
if [ -n "$install_dir" ]; then
  log="$install_dir\\setup.log"
  host_log="$machine/drive_$(echo "${log:0:1}" | tr 'A-Z' 'a-z')$(echo "${log:2}" | tr '\\' '/')"
  echo "setup.log: $log"
  echo "           on this computer: $host_log"
fi
echo "IDEs with the suite:"
"$simwin" show "$machine" "$product" 2>/dev/null | sed -n 's/^; sub-key: /  /p'
echo "Known packages added:"
comm -13 <(values "$before") <(values "$after") | awk -F'\t' '$1 ~ /Known Packages\]$/ {
    if ($1 != key) { key = $1; print "  " substr(key, 2, length(key) - 2) }
    print "    " $2 }' | sed 's/"=.*//; s/^    "/    /; s/\\\\/\\/g'
echo "Start-menu group:"
find "$machine/drive_c/Users/Developer/AppData/Roaming/Microsoft/Windows/Start Menu/Programs" -name '*.lnk' |
  sed "s|^$machine/drive_c/|  C:/|; s|/|\\\\|g"
echo "Uninstall entry:"
"$simwin" show "$machine" 'HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\VxVexorinVCL' \
  2>/dev/null | sed -n 's/^"\(DisplayName\|UninstallString\)"="\(.*\)"$/  \1: \2/p' | sed 's/\\\\/\\/g'
exit $status
