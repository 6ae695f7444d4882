#!/usr/bin/env bash
# Starts the editor on an optional FILE: at once when build/tarpon-hex is up to
# date and its fonts are installed (no apt; a changed source rebuilds the editor
# alone); otherwise it first installs what is missing and builds everything. FILE is taken relative to the folder the command
# runs in, not the clone.
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

# What the built editor needs at run time beyond the libraries it links.
runtime_packages=(fonts-liberation fonts-wqy-microhei)
# Brings the configured build of the editor alone up to date (no work when it is);
# fails when the build folder, a tool or a run-time package is missing, or the build fails.
build_editor() {
  [ -f build/build.ninja ] && command -v ninja >/dev/null || return 1
  local p
  for p in "${runtime_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || return 1
  done
  ninja -C build tarpon-hex >build/run-build.log 2>&1 || return 1
}
if ! build_editor; then
  bash scripts/install-deps.sh
  bash scripts/build.sh
fi
exec build/tarpon-hex "${args[@]}"
