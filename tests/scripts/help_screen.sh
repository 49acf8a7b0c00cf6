#!/usr/bin/env bash
# Runs the setup program with help arguments and compares its output with the
# expected help screen byte for byte; the exit code must be 1.
#   help_screen.sh SETUP EXPECTED [EMULATOR...]
set -u
setup=$1
expected=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A bare simulated machine for the simwin build; the Windows build ignores it.
mkdir -p "$work/machine/drive_c"
: >"$work/machine/machine.ini"
export SIMWIN_ROOT="$work/machine"

status=0
check() { # name, input, args...
  local name=$1 input=$2
  shift 2
  printf '%s' "$input" | "$@" >"$work/out" 2>"$work/err"
  local rc=$?
  if [ $rc -ne 1 ]; then
    echo "FAIL $name: exit code $rc, expected 1"; cat "$work/err"; status=1; return
  fi
  if ! cmp -s "$work/out" "$expected"; then
    echo "FAIL $name: output differs"; diff <(cat -A "$expected") <(cat -A "$work/out"); status=1; return
  fi
  echo "ok   $name"
}

check "--help, end of input" "" "$@" "$setup" --help
check "/? among other arguments, one line of input" $'\n' "$@" "$setup" --ignore-bcb /? -rBDS=Win32Only
check "-h after an unknown argument" "" "$@" "$setup" --lang -h
check "--HELP in another case" "" "$@" "$setup" --HELP
exit $status
