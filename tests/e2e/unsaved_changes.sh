# Undo and redo in the real window, and the question before unsaved changes are
# dropped: Exit with everything saved asks nothing; Exit and the close button with
# a change ask; Escape cancels (the editor stays, the file is untouched); Enter saves
# and exits; a save that fails closes nothing.
. "$(dirname "$0")/lib.sh"
QUESTION="Tarpon's Hex"
printf '\x00\x01\x02\x03' > "$WORK/doc.bin"
start_app "$WORK/doc.bin"
typetext "4142"
key ctrl+z ctrl+z ctrl+z   # the third finds nothing more to undo
key ctrl+s
wait_for "the undone bytes" 10 file_is "$WORK/doc.bin" "00010203"
key ctrl+y ctrl+shift+z ctrl+y
key ctrl+s
wait_for "the redone bytes" 10 file_is "$WORK/doc.bin" "41420203"
key ctrl+e   # saved: nothing is asked
wait_for "the program to exit" 10 bash -c "! kill -0 $APP_PID"
APP_PID=""

running() { kill -0 "$APP_PID" 2>/dev/null; }
start_app "$WORK/doc.bin"
typetext "ff"
key ctrl+e
focus "$(await_window "$QUESTION")"
key Escape   # Cancel
await_gone "$QUESTION"
running || fail "Escape closed the editor"
file_is "$WORK/doc.bin" "41420203" || fail "Cancel changed the file"
python3 "$(dirname "$0")/close_window.py" "$MAIN"   # the window's close button
focus "$(await_window "$QUESTION")"
key Return   # Save, the default
wait_for "the program to exit" 10 bash -c "! kill -0 $APP_PID"
APP_PID=""
file_is "$WORK/doc.bin" "ff420203" || fail "Save did not write the change"

# A save that fails ("Problems Saving") closes nothing.
mkdir "$WORK/gone"
printf '\x00' > "$WORK/gone/doc.bin"
start_app "$WORK/gone/doc.bin"
rm -r "$WORK/gone"
typetext "ee"
key ctrl+e
focus "$(await_window "$QUESTION")"
key Return   # Save: the folder is gone, so "Problems Saving" follows
sleep 1
running || fail "the editor closed after a failed save"
echo PASS
