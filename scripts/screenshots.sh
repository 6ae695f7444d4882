#!/usr/bin/env bash
# Remakes the README's pictures in docs/ from the real editor, by running the
# end-to-end walkthrough under Xvfb with SHOTS set. Build first (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p docs
BIN=$PWD/build/tarpon-hex SHOTS=$PWD/docs \
  xvfb-run -a -s "-screen 0 1024x768x24" timeout 90 bash tests/e2e/walkthrough.sh
BIN=$PWD/build/tarpon-hex SHOTS=$PWD/docs \
  xvfb-run -a -s "-screen 0 1024x768x24" timeout 90 bash tests/e2e/find_encoding.sh
