#!/usr/bin/env bash
# Runs the command-line examples of the README's "Command line in brief" and
# "Releasing a patch" sections
# as a reader would, from the top of the tree, with their /tmp files in a folder of
# their own: each must succeed, and one that says "# prints X" must print X.
#   readme_commands.sh TARPON_HEX SOURCE_DIR
set -euo pipefail
bin=${1:?the built tarpon-hex}
cd "${2:?the source folder}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The section's example lines: indented, and starting with a command the examples use.
mapfile -t commands < <(sed -n '/^## Command line in brief/,/^## More/p' README.md |
  grep -E '^    (cp|cmp|build/tarpon-hex) ' | sed 's/^    //')
[ "${#commands[@]}" -ge 3 ] || { echo "FAIL: no examples found in the README"; exit 1; }
for line in "${commands[@]}"; do
  command=${line%%#*}
  expected=""
  [[ $line == *"# prints "* ]] && expected=${line##*# prints }
  command=${command//\/tmp\//$work/}
  command=${command//build\/tarpon-hex/$bin}
  output=$(eval "$command" 2>&1) || { echo "FAIL: $line"; echo "$output"; exit 1; }
  if [ -n "$expected" ] && [ "$output" != "$expected" ]; then
    echo "FAIL: $line"; echo "printed: $output"; exit 1
  fi
  echo "ok: $line"
done
echo "PASS"
