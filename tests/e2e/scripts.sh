# The script round trip of docs/formats.md on the example, through the windows and from the
# command line: the pointer table of shop.bin dumped (Table > Dump Script...),
# inserted back unchanged (the same bytes), a string made longer than its room
# (refused with its line number, nothing written), then given room (written, the
# strings after it moved up); the command line does the same, and `find` finds
# the new word where the window put it; then a Cartographer command file dumped from
# the window and from the command line.
. "$(dirname "$0")/lib.sh"
EX=$(cd "$(dirname "$0")/../../examples" && pwd)
cp "$EX/shop.bin" "$WORK/shop.bin"
start_app --table "$EX/shop.tbl" "$WORK/shop.bin"

key alt+t d
DUMP=$(await_window "Dump Script")
await_focus "$DUMP" "the Dump Script window"
click_in "$DUMP" 20 59                # "Strings a pointer table points at:"
click_in "$DUMP" 110 79; key ctrl+a; typetext "0x10"   # Table at
click_in "$DUMP" 240 79; key ctrl+a; typetext "4"      # Pointers
click_in "$DUMP" 240 175              # "Dump..."

choose_file "Save Script As" "$WORK/shop.txt"
await_gone "Dump Script"
await_focus "$MAIN" "the main window, after the dump"
grep -q '^#W16(\$12)$' "$WORK/shop.txt" || fail "the dump has no pointer write for pointer 1"

insert_script() {
  key alt+t i
  choose_file "Insert Script" "$WORK/$1"
  await_message "$2"
  answer_message Return
}
insert_script shop.txt "the message after inserting the unchanged script"
key ctrl+s
wait_for "the unchanged script saved" 10 cmp -s "$WORK/shop.bin" "$EX/shop.bin"

sed 's/A sword costs thirty coins\./A fine sword costs thirty gold coins./' "$WORK/shop.txt" > "$WORK/long.txt"
insert_script long.txt "the refusal of a string too long"
key ctrl+s
sleep 1
cmp -s "$WORK/shop.bin" "$EX/shop.bin" || fail "a refused insert changed the file"

sed 's/^#JMP(\$18, \$81)$/#JMP($18, $B1)/' "$WORK/long.txt" > "$WORK/room.txt"
insert_script room.txt "the message after inserting with room"
key ctrl+s
wait_for "the longer string saved" 10 bash -c "\"$BIN\" find --table \"$EX/shop.tbl\" gold \"$WORK/shop.bin\" | grep -qx 0x55"

# Dump Script > "From command file...": the example's command file, the same script as the command line's.
key alt+t d
DUMP=$(await_window "Dump Script")
await_focus "$DUMP" "the Dump Script window, again"
click_in "$DUMP" 73 175               # "From command file..."
choose_file "Dump from Command File" "$EX/shop-commands.txt"
choose_file "Save Script As" "$WORK/carto.txt"
await_gone "Dump Script"
stop_app "the scripts"
"$BIN" dump --commands "$EX/shop-commands.txt" --out "$WORK/carto-cli.txt" "$WORK/shop.bin" || fail "dump --commands"
cmp -s "$WORK/carto.txt" "$WORK/carto-cli.txt" || fail "the window dumped the command file otherwise than the command line"
grep -q '^//BLOCK #001 NAME:' "$WORK/carto.txt" || fail "the command file's second block is missing"

# The command line, on a fresh copy: the same round trip.
cp "$EX/shop.bin" "$WORK/cli.bin"
"$BIN" dump --table "$EX/shop.tbl" --pointers 0x10 --count 4 --size 2 --out "$WORK/cli.txt" "$WORK/cli.bin" ||
  fail "dump from the command line"
# The first line names the files, as each was given them.
[ "$(tail -n +2 "$WORK/cli.txt")" = "$(tail -n +2 "$WORK/shop.txt")" ] || fail "the command line dumped another script than the window"
"$BIN" insert --table "$EX/shop.tbl" --script "$WORK/long.txt" "$WORK/cli.bin" 2>"$WORK/err" && fail "a string too long was inserted"
grep -q "Line 20: the text is 9 bytes too long" "$WORK/err" || fail "the refusal names no line: $(cat "$WORK/err")"
"$BIN" insert --table "$EX/shop.tbl" --script "$WORK/room.txt" "$WORK/cli.bin" || fail "insert from the command line"
cmp -s "$WORK/cli.bin" "$WORK/shop.bin" || fail "the command line inserted otherwise than the window"
echo PASS
