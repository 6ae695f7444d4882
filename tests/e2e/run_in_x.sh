#!/usr/bin/env bash
# Runs one end-to-end script in its own X server. When the X server could not be
# started or the connection to it broke before any check failed, the script runs
# once more; a failed check is never run again.
# Usage: run_in_x.sh SCRIPT
set -uo pipefail
script=$1
x_lost='X connection to .* broken|cannot open display|could not connect to display|xvfb-run: error|Xvfb failed to start|Could not connect to any X display'
for attempt in 1 2; do
  log=$(mktemp)
  xvfb-run -a -s "-screen 0 1024x768x24" timeout 200 bash "$script" >"$log" 2>&1
  status=$?
  cat "$log"
  first_x=$(grep -nE "$x_lost" "$log" | head -n1 | cut -d: -f1)
  first_fail=$(grep -n '^FAIL:' "$log" | head -n1 | cut -d: -f1)
  rm -f "$log"
  [ "$status" -eq 0 ] && exit 0
  if [ -n "$first_x" ] && { [ -z "$first_fail" ] || [ "$first_x" -lt "$first_fail" ]; } && [ "$attempt" -lt 2 ]; then
    echo "run_in_x: the X connection failed (attempt $attempt); running $(basename "$script") again"
    continue
  fi
  exit "$status"
done
