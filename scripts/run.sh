#!/usr/bin/env bash
# Installs what is missing, builds, and starts the editor on an optional FILE.
# FILE is taken relative to the folder the command runs in, not the clone.
set -euo pipefail
args=()
options_done=false
for arg in "$@"; do
  if ! $options_done && [ "$arg" = "--" ]; then
    options_done=true
  elif ! $options_done && [ "${#arg}" -gt 1 ] && [ "${arg#-}" != "$arg" ]; then
    :  # an option (--help, --version): passed on as it is
  elif [ -n "$arg" ] && [ "${arg#/}" = "$arg" ]; then
    arg="$PWD/$arg"
  fi
  args+=("$arg")
done
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/build.sh
exec build/tarpon-hex "${args[@]}"
