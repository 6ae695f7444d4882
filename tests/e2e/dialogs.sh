# Every window of the editor opened from the main window (its menu item where it has
# one), used as a user would, and closed with Escape; each gives the keyboard back to
# the main window, and a message while one is open is answered and hands the
# keyboard back to it. Then the question about unsaved changes when the editor is
# closed: Escape cancels, a save that fails closes nothing, Enter saves and exits.
# Where the cursor went is seen by typing a byte there; the saved file shows it.
. "$(dirname "$0")/lib.sh"
mkdir "$WORK/d"
DOC=$WORK/d/doc.bin
{ printf 'ABCDEFGH'; head -c 504 /dev/zero; } > "$DOC"
start_app "$DOC"

# Copy (F4) of the selection 1..3 as decimal values with a before- and an after-text;
# opened again, Escape closes it.
key Right shift+Right shift+Right
open_copy
set_box 56 113 "<"                  # before each value
set_box 156 113 ">,"                # after each value
copy_to_clip
wait_for "the values on the clipboard" 10 clipboard_is "<66>,<67>,<68>,"
open_copy
key Escape
await_gone "Copy"
await_focus "$MAIN" "the main window, after Escape in Copy"

# Jump To (Option menu): 100 decimal, relative, twice from 3: 203.
key alt+o j
JUMP=$(await_window "Jump To")
await_focus "$JUMP" "the Jump To window"
typetext "100"
click_in "$JUMP" 60 38              # "Dec"
click_in "$JUMP" 12 64              # "Relative Jump"
click_in "$JUMP" 100 16             # back into the text box
key Return Return Escape
await_gone "Jump To"
await_focus "$MAIN" "the main window, after Jump To"
typetext "ee"                       # byte 203; the cursor goes on to 204

# Insert (the Insert key): an amount too large is refused with a message and the
# window stays; 3 (decimal) bytes of AB, then Delete takes one back.
key Insert
INS=$(await_window "Insert")
await_focus "$INS" "the Insert window"
typetext "ffffff"
key Return
await_message "the refusal"
answer_message Return
await_focus "$INS" "the Insert window, after the message"
click_in "$INS" 208 14              # amount in "Dec"
click_in "$INS" 116 17
key ctrl+a
typetext "3"
key Tab
typetext "ab"
key Return
await_gone "Insert"
await_focus "$MAIN" "the main window, after Insert"
key Delete

# Find (Option menu): 44 45 from 204 goes round the end to 3; a search that finds
# nothing brings a message, after which the Find window has the keyboard again.
key alt+o f
FIND=$(await_window "Find")
await_focus "$FIND" "the Find window"
typetext "44 45"
key Return
key ctrl+a
typetext "99 98"
key Return
await_message "the message that nothing was found"
answer_message Return
await_focus "$FIND" "the Find window, after the message"
close_find
typetext "cc"                       # byte 3

# Opened from the text pane, Jump To gives the keyboard back to the text pane: a
# letter typed after Escape is written as a character there, not as a hex digit.
key Tab F1
await_window "Jump To" >/dev/null
key Escape
await_gone "Jump To"
await_focus "$MAIN" "the main window, after Jump To from the text pane"
typetext "z"                        # byte 4, in "Ascii" view
key shift+Tab                       # back to the hex pane

# The table editor (Table menu): a letter in cell 00, then "A-Z" from cell 41, which
# takes "C" away from cell 00; Escape on the button closes it. Saved, the table
# holds what the editor made.
key alt+t c
ED=$(await_window "Edit Table")
await_focus "$ED" "the table editor"
click_in "$ED" 40 32                # cell 00 (cells are 265/17 wide, 18 high, from 24, 24)
typetext "C"
click_in "$ED" 47 104               # cell 41
click_in "$ED" 48 336               # "A-Z"
key Escape
await_gone "Edit Table"
await_focus "$MAIN" "the main window, after the table editor"
key alt+t s
choose_file "Tarpon's Hex - Save Table as" "$WORK/letters.tbl"
for c in {A..Z}; do printf '%02X=%s\r\n' "'$c" "$c"; done > "$WORK/expected.tbl"
wait_for "the saved table" 10 cmp -s "$WORK/letters.tbl" "$WORK/expected.tbl"

key ctrl+s
zeros() { head -c "$1" /dev/zero | od -An -v -tx1 | tr -d ' \n'; }
saved=414243cc7a464748$(zeros 195)eeabab$(zeros 308)
wait_for "the saved document" 10 file_is "$DOC" "$saved"

# A change, then Exit: the question; Escape cancels and nothing is written.
typetext "ff"                       # byte 5
key ctrl+e
await_message "the question about unsaved changes"
answer_message Escape
running || fail "Escape in the question closed the editor"
file_is "$DOC" "$saved" || fail "Cancel wrote the file"
# The folder gone, Exit and Save: "Problems Saving", and the editor stays.
mv "$WORK/d" "$WORK/away"
key ctrl+e
await_message "the question about unsaved changes, again"
QUESTION=$BOX
key Return                          # Save
another_message() { [ -n "$(window_named "$MSG_TITLE")" ] && [ "$(window_named "$MSG_TITLE")" != "$QUESTION" ]; }
wait_for "the message about the failed save" 10 another_message
await_message "the message about the failed save"
answer_message Return
running || fail "the editor closed after a failed save"
# The folder back, the window's close button and Enter (Save): saved, and gone.
mv "$WORK/away" "$WORK/d"
python3 "$(dirname "$0")/close_window.py" "$MAIN"
await_message "the question on the close button"
answer_message Return
wait_for "the editor to exit" 10 exited
APP_PID=""
file_is "$DOC" "${saved:0:10}ff${saved:12}" || fail "Save on closing did not write the change"
echo PASS
