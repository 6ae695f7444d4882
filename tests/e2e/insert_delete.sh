# Insert opens the "Insert" window, which takes the keyboard by itself. An amount
# that is too large is refused with a message and the window stays open; Enter
# with a valid amount inserts, closes the window and gives the keyboard back to
# the main window, where Delete removes the byte under the cursor.
. "$(dirname "$0")/lib.sh"
printf '\x00\x01\x02\x03' > "$WORK/doc.bin"
start_app "$WORK/doc.bin"
key Right
key Insert
INS=$(await_window "Insert")
await_focus "$INS" "the Insert window"
typetext "ffffff"
key Return
BOX=$(await_window "Tarpon's Hex")
await_focus "$BOX" "the refusal message"
key Return
await_gone "Tarpon's Hex"
await_focus "$INS" "the Insert window, after the message"
# Amount 3 in decimal, fill AB in hex.
click_in "$INS" 208 14
click_in "$INS" 116 17
key ctrl+a
typetext "3"
key Tab
typetext "ab"
key Return
await_gone "Insert"
await_focus "$MAIN" "the main window"
key Delete
key ctrl+s
wait_for "the saved bytes" 10 file_is "$WORK/doc.bin" "00abab010203"
echo PASS
