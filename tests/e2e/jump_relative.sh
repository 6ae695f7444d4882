# F1 opens "Jump To" and disables the main window; a relative decimal jump moves
# the cursor, the window stays open, Escape closes it; typing lands at the target.
. "$(dirname "$0")/lib.sh"
head -c 512 /dev/zero > "$WORK/doc.bin"
start_app "$WORK/doc.bin"
key Right Right
key F1
wait_for "the jump window" 10 has_window "Jump To"
JUMP=$(window_named "Jump To")
focus "$JUMP"
typetext "100"
xdotool mousemove --window "$JUMP" 60 38 click 1      # "Dec"
xdotool mousemove --window "$JUMP" 12 64 click 1      # "Relative Jump"
focus "$JUMP"
xdotool mousemove --window "$JUMP" 100 16 click 1     # back into the text box
key Return
key Return
key Escape
wait_for "the jump window to close" 10 bash -c "! xdotool search --onlyvisible --name '^Jump To\$'"
focus "$MAIN"
typetext "ee"
key ctrl+s
wait_for "the saved byte at 202" 10 bash -c "[ \"\$(od -An -tx1 -j202 -N1 '$WORK/doc.bin' | tr -d ' ')\" = ee ]"
echo PASS
