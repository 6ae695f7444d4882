#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Release build with
# the end-to-end suite, then the whole suite (end-to-end included) again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then a short run of every fuzz target.
# Every pass runs even when an earlier one failed; the script ends with the status
# of the first pass that failed.
set -euo pipefail
cd "$(dirname "$0")/.."
first_failure=0
# run NAME COMMAND...: runs a pass, and keeps its status when it is the first to fail.
run() {
  local name=$1 status=0
  shift
  "$@" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "test.sh: $name failed with status $status" >&2
    [ "$first_failure" -ne 0 ] || first_failure=$status
  fi
}
bash scripts/install-deps.sh
run "the Release build" bash scripts/build.sh
jobs=$(nproc)
run "the Release tests" ctest --test-dir build --output-on-failure --timeout 300 -j "$jobs"

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
run "the sanitizer configuration" cmake --preset asan -DTARPON_WERROR="$werror" >/dev/null
run "the sanitizer build" cmake --build build-asan --parallel "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
# Everything again, the end-to-end tests included (they turn strict_string_checks
# off for the program itself; see tests/e2e/lib.sh).
run "the sanitizer tests" ctest --test-dir build-asan --output-on-failure --timeout 600 -j "$jobs"

# Fuzz smoke runs: clang builds only the logic library and the targets. Each target
# starts from its committed seeds and runs a fixed number of inputs with a fixed
# seed; new inputs go to a scratch folder, never into the committed corpus.
run "the fuzz configuration" cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER=clang++ \
  -DTARPON_FUZZ=ON -DTARPON_TESTS=OFF -DTARPON_BENCHMARKS=OFF -DTARPON_WERROR="$werror" >/dev/null
run "the fuzz build" cmake --build build-fuzz --parallel "$jobs" --target tarpon_fuzz
fuzz_runs() {
  case "$1" in
    editing_session_fuzz) echo 500 ;;
    ring_search_fuzz | number_reading_fuzz | patch_fuzz) echo 10000 ;;
    *) echo 50000 ;;
  esac
}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
passed=0 failed=0
for dir in fuzz/corpus/*/; do
  target=$(basename "$dir")
  mkdir -p "$scratch/$target"
  echo "fuzz: $target, $(fuzz_runs "$target") runs"
  status=0
  "build-fuzz/$target" -runs="$(fuzz_runs "$target")" -seed=1 -max_len=4096 \
    -artifact_prefix=build-fuzz/ "$scratch/$target" "$dir" 2>"$scratch/$target.log" || status=$?
  if [ "$status" -eq 0 ]; then
    passed=$((passed + 1))
  else
    tail -n 60 "$scratch/$target.log"
    failed=$((failed + 1))
    [ "$first_failure" -ne 0 ] || first_failure=$status
  fi
done
echo "fuzz: $passed passed, $failed failed"
exit "$first_failure"
