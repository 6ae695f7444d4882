# The table editor (F12) takes the keyboard and disables the main window. A
# letter typed into cell 00, then "A-Z" from cell 41: the fill takes "C" away
# from cell 00. Escape on a button closes the editor and the main window gets
# the keyboard back; "&Save Table..." writes what the editor made.
. "$(dirname "$0")/lib.sh"
start_app
key F12
ED=$(await_window "Edit Table")
await_focus "$ED" "the table editor"
# Cells are 265/17 pixels wide and 18 high, from (24, 24) in the window.
click_in "$ED" 40 32        # cell 00
typetext "C"
click_in "$ED" 47 104       # cell 41
click_in "$ED" 48 336       # "A-Z"
key Escape
await_gone "Edit Table"
await_focus "$MAIN" "the main window"
key alt+t
key s
choose_file "Tarpon's Hex - Save Table as" "$WORK/letters.tbl"
expected=""
for i in $(seq 0 25); do
  expected+=$(printf '%02X=\\x%02x\\r\\n' $((0x41 + i)) $((0x41 + i)))
done
printf "$expected" > "$WORK/expected.tbl"
wait_for "the saved table" 10 cmp -s "$WORK/letters.tbl" "$WORK/expected.tbl"
echo PASS
