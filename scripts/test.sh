#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite.
#   scripts/test.sh              plain build
#   scripts/test.sh --sanitize   AddressSanitizer + UndefinedBehaviorSanitizer build
# The build's log is kept in <build folder>/build.log; when the build fails, its errors and last
# lines are printed here, and when tests fail, their output and names are printed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
dir=build
[ "${1:-}" = "--sanitize" ] && dir=build-sanitize
mkdir -p "$dir"
log="$dir/build.log"
if ! bash scripts/build.sh "$@" >"$log" 2>&1; then
  echo "=== build in $dir failed; error lines:"
  grep -E -A3 'error|FAILED:|CMake Error' "$log" | head -n 200 || true
  echo "=== last lines of $log:"
  tail -n 60 "$log"
  exit 1
fi
echo "=== build in $dir done ($(grep -c -E '^\[[0-9]+/[0-9]+\]' "$log" || true) steps)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
if ! ctest --test-dir "$dir" --output-on-failure -j"$(nproc)" --timeout 300; then
  echo "=== failing tests in $dir:"
  cat "$dir/Testing/Temporary/LastTestsFailed.log" 2>/dev/null || true
  exit 1
fi
