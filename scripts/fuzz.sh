#!/usr/bin/env bash
# The libFuzzer targets of fuzz/, built with the fuzz preset (clang).
#
#   scripts/fuzz.sh replay                   every target over its seed corpus
#                                            (fuzz/corpus/<target>) once; fails on
#                                            any crash (scripts/test.sh runs it)
#   scripts/fuzz.sh run [--runs N | --time SECONDS] [TARGET...]
#                                            fuzzes each target (all without names)
#                                            one after the other, 10,000,000 runs
#                                            each unless told otherwise
#   scripts/fuzz.sh merge [TARGET...]        adds the inputs of the working corpus
#                                            that reach new code to fuzz/corpus
#
# The working corpus of `run` and its findings (crash-*, leak-*, timeout-*)
# are kept in $VEXORIN_CACHE/fuzz/<target> (~/.cache/vexorin), outside the
# clone; it starts from the seed corpus. Each run prints its executions and
# executions per second; the full output is in that folder's last.log.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

bin=build/fuzz/fuzz
work=${VEXORIN_CACHE:-$HOME/.cache/vexorin}/fuzz

# The longest input worth trying per target: a little more than the largest
# realistic file of its kind that still exercises every branch.
declare -A max_len=(
  [version_fuzz]=256 [split_paths_fuzz]=1024 [dir_macros_fuzz]=512 [package_pattern_fuzz]=256
  [registry_hive_fuzz]=4096 [machine_ini_fuzz]=2048 [shell_link_fuzz]=2048 [xml_tree_fuzz]=4096
  [rsvars_fuzz]=2048 [library_listing_fuzz]=2048 [cap_exec_lines_fuzz]=512 [command_line_fuzz]=512
)
all_targets=$(printf '%s\n' "${!max_len[@]}" | sort)

usage() {
  sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//' >&2
  exit 2
}

build() {
  cmake --preset fuzz >/dev/null
  cmake --build --preset fuzz
}

check_target() {
  [ -n "${max_len[$1]:-}" ] || { echo "fuzz.sh: no target '$1' (targets: $(echo $all_targets))" >&2; exit 2; }
}

mode=${1:-}
[ -n "$mode" ] || usage
shift

case "$mode" in
replay)
  build
  artifacts=build/fuzz/artifacts
  mkdir -p "$artifacts"
  failed=0
  for t in $all_targets; do
    if "$bin/$t" -runs=0 -rss_limit_mb=2048 -max_len="${max_len[$t]}" -artifact_prefix="$artifacts/$t-" \
      "fuzz/corpus/$t" >"$artifacts/$t.log" 2>&1; then
      echo "fuzz replay $t: $(ls "fuzz/corpus/$t" | wc -l) inputs, clean"
    else
      echo "fuzz replay $t: FAILED (see $artifacts/$t.log)"
      tail -n 30 "$artifacts/$t.log"
      failed=1
    fi
  done
  exit $failed
  ;;
run)
  limit=(-runs=10000000)
  while [ $# -gt 0 ]; do
    case "$1" in
    --runs) limit=(-runs="$2"); shift 2 ;;
    --time) limit=(-max_total_time="$2"); shift 2 ;;
    -*) usage ;;
    *) break ;;
    esac
  done
  targets=("$@")
  [ ${#targets[@]} -gt 0 ] || targets=($all_targets)
  for t in "${targets[@]}"; do check_target "$t"; done
  build
  failed=0
  for t in "${targets[@]}"; do
    dir="$work/$t"
    mkdir -p "$dir/corpus"
    cp -n "fuzz/corpus/$t"/* "$dir/corpus/" 2>/dev/null || true
    start=$(date +%s)
    status=clean
    "$bin/$t" "${limit[@]}" -rss_limit_mb=2048 -max_len="${max_len[$t]}" -print_final_stats=1 \
      -artifact_prefix="$dir/" "$dir/corpus" >"$dir/last.log" 2>&1 || { status="FAULT (see $dir)"; failed=1; }
    seconds=$(($(date +%s) - start))
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$dir/last.log" | tail -n 1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$dir/last.log" | tail -n 1)
    echo "fuzz $t: ${runs:-?} executions in ${seconds} s, ${rate:-?} exec/s, $status"
  done
  exit $failed
  ;;
merge)
  targets=("$@")
  [ ${#targets[@]} -gt 0 ] || targets=($all_targets)
  for t in "${targets[@]}"; do check_target "$t"; done
  build
  for t in "${targets[@]}"; do
    "$bin/$t" -merge=1 -rss_limit_mb=2048 -max_len="${max_len[$t]}" "fuzz/corpus/$t" "$work/$t/corpus" \
      >"$work/$t/merge.log" 2>&1
    echo "fuzz merge $t: $(ls "fuzz/corpus/$t" | wc -l) inputs in fuzz/corpus/$t"
  done
  ;;
*) usage ;;
esac
