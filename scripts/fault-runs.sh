#!/usr/bin/env bash
# The whole runs with counted faults and kills at their full count: per run
# type (new installation, update, uninstallation) FAULTS operations fail in
# turn (default 300) and the program is killed at KILLS points (default 40),
# on JOBS threads (default 2). After a native build; prints each run type's
# figures. The test command runs a smaller sample of the same tests.
#
#   fault-runs.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/native}
[ -x "$build/tests/wholerun_tests" ] || { echo "$0: build the native preset first" >&2; exit 1; }
VEXORIN_FAULT_SAMPLE=${FAULTS:-300} VEXORIN_KILL_SAMPLE=${KILLS:-40} VEXORIN_WHOLERUN_JOBS=${JOBS:-2} \
  "$build/tests/wholerun_tests"
