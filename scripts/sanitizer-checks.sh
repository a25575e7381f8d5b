#!/usr/bin/env bash
# The engine under AddressSanitizer and UndefinedBehaviorSanitizer: builds the
# engine's test programs and the fuzz targets' regression runners in
# build-sanitize/ (ZEF_SANITIZE=ON, warnings as errors) and runs them. Any
# sanitizer report fails the run. Needs the packages ./test installs.
# Usage: scripts/sanitizer-checks.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build-sanitize"

minutes() { awk -v s="$1" 'BEGIN { printf "%.1f", s / 60 }'; }

start=$SECONDS
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZEF_SANITIZE=ON -DZEF_WERROR=ON >/dev/null
fi
cmake --build "$build" --target engine_checks
echo "sanitizer build: $(minutes $((SECONDS - start))) min"

start=$SECONDS
export QT_QPA_PLATFORM=offscreen
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS="suppressions=$root/fuzz/lsan.supp:print_suppressions=0"
ctest --test-dir "$build" -L '^engine$' --output-on-failure --timeout 600 -j "$(nproc)"
echo "sanitizer tests: $(minutes $((SECONDS - start))) min"
