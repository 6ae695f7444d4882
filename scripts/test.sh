#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the Release build with
# the end-to-end suite, then the whole suite again under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
jobs=$(nproc)
ctest --test-dir build --output-on-failure --timeout 300 -j "$jobs"

werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake --preset asan -DTARPON_WERROR="$werror" >/dev/null
cmake --build build-asan --parallel "$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp
ctest --test-dir build-asan --output-on-failure --timeout 600 -j "$jobs" -LE e2e
