#!/usr/bin/env bash
# Builds the libFuzzer targets of every file reader with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer everywhere) into build-fuzz/ and runs each one on a copy of its seed
# corpus from tests/fuzz-corpus. Exits non-zero when a target finds a crash, a leak or undefined
# behaviour; the input that caused it is kept in build-fuzz/findings/.
#   FUZZ_TIME=<seconds per target> (default 30)   FUZZ_JOBS=<build jobs> (default 8)
#   FUZZ_SEED=<libFuzzer seed> (default 0: a new random seed each run; CI fixes one so its runs repeat)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-fuzz"
seconds="${FUZZ_TIME:-30}"
jobs="${FUZZ_JOBS:-8}"
seed="${FUZZ_SEED:-0}"
# reader name -> seed folder
targets=(setup rfc ref csv psf rec lug)

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKELVANE_FUZZ=ON -DKELVANE_TESTS=OFF -DKELVANE_BENCH=OFF -DKELVANE_SANITIZE=ON \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link" -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" -j "$jobs" --target $(printf 'fuzz_%s ' "${targets[@]}")

mkdir -p "$build/findings"
status=0
for t in "${targets[@]}"; do
  corpus="$(mktemp -d)"
  cp -r "$root/tests/fuzz-corpus/$t/." "$corpus/"
  log="$build/fuzz_$t.log"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
     "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -seed="$seed" -print_final_stats=1 -rss_limit_mb=2048 \
       -artifact_prefix="$build/findings/$t-" "$corpus" >"$log" 2>&1; then
    result="ok"
  else
    result="FINDING (see $log)"
    status=1
  fi
  execs="$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')"
  echo "fuzz_$t: ${execs:-?} executions, $result"
  [ "$result" = ok ] || tail -n 40 "$log"
  rm -rf "$corpus"
done
exit $status
