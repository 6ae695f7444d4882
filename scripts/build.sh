#!/usr/bin/env bash
# Configures (once) and builds the editor, its tests and benchmarks in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARPON_WERROR="$werror" >/dev/null
cmake --build build --parallel "$(nproc)"
