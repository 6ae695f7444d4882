#!/usr/bin/env bash
# Configures (once) and builds the editor, its tests and benchmarks in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
[ "${CI:-}" = "true" ] && werror=ON
launcher=()
# ccache, where installed, lets several checkouts of the tree share their objects.
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARPON_WERROR="$werror" "${launcher[@]}" >/dev/null
cmake --build build --parallel "$(nproc)"
