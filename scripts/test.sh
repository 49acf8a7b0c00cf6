#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test: the
# native build on the simulated machine, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the fuzz targets over their seed corpora, and the
# Windows build under Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh

for preset in native native-asan mingw; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

echo "== test native"
ctest --preset native
echo "== test native-asan"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --preset native-asan
echo "== fuzz targets over their corpora"
scripts/fuzz.sh replay
echo "== test mingw under Wine"
scripts/wine-tests.sh
