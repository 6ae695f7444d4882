# Table files as translators pass them around, through the real program:
# 1. a table written on Linux (LF line ends, a comment, a blank line, a two-byte
#    key, an end token, a newline marker, blanks around "="), loaded through the
#    chooser: a message reports the skipped line; the letters show, Find ▸ Table
#    and Copy ▸ Table use them; saving over the file asks first, Cancel keeps it.
# 2. a UTF-8 table named with --table: the text pane opens in the "Table" view and
#    draws the characters, Find ▸ Table finds typed Japanese, Copy ▸ Table puts
#    the characters on the clipboard, saving writes the same bytes back, and é
#    typed in the text pane writes the byte whose letter it is.
. "$(dirname "$0")/lib.sh"
MSG_TITLE="Tarpon's Hex"
SAVE_TITLE="Tarpon's Hex - Save Table as"
printf keep | xclip -selection secondary   # keeps the X server up between the two runs

# find_table TEXT: a Table search for TEXT from the cursor. Text beyond ASCII is
# pasted: xdotool types it by remapping a key, which a busy machine can miss.
find_table() {
  open_find
  click_in "$FIND" 75 70      # "Table"
  click_in "$FIND" 120 17     # back into the text box
  if LC_ALL=C grep -q '[^ -~]' <<< "$1"; then
    printf '%s' "$1" | xclip -selection clipboard
    key ctrl+v
  else
    typetext "$1"
  fi
  key Return
  has_window "$MSG_TITLE" && fail "Find ▸ Table found no \"$1\""
  close_find
  echo "ok: found \"$1\""
}
# copy_table FROM TO BEFORE: Copy ▸ Table of FROM..TO (hex), each letter after BEFORE.
copy_table() {
  key F4
  COPY=$(await_window "Copy")
  await_focus "$COPY" "the Copy window"
  for box in "120 25 $1" "120 49 $2" "56 113 $3"; do
    set -- $box
    click_in "$COPY" "$1" "$2"
    key ctrl+a BackSpace
    typetext "$3"
  done
  click_in "$COPY" 220 120    # "Table"
  click_in "$COPY" 220 140    # "Copy To Clip"
  await_gone "Copy"
  await_focus "$MAIN" "the main window"
}
hex_of_text() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n'; }
clipboard_is() { [ "$(clipboard | od -An -v -tx1 | tr -d ' \n')" = "$(hex_of_text "$1")" ]; }
# await_message WHAT: a message box (or question) is up and has the keyboard. Its
# text is checked by the logic tests; here it must come, and come only when due.
await_message() {
  BOX=$(await_window "$MSG_TITLE")
  await_focus "$BOX" "$1"
}
answer_message() {
  key "$1"
  await_gone "$MSG_TITLE"
}
two_save_windows() { [ "$(xdotool search --onlyvisible --name "^$SAVE_TITLE\$" | wc -l)" -ge 2 ]; }
# save_table_over PATH: Save Table to PATH, which exists; the chooser's "replace?" is answered Yes.
save_table_over() {
  key alt+t
  key s
  local dialog; dialog=$(await_window "$SAVE_TITLE")
  await_focus "$dialog" "the save chooser"
  key ctrl+a
  typetext "$1"
  key Return
  wait_for "the chooser's question" 10 two_save_windows
  key alt+y
  await_gone "$SAVE_TITLE"
}
# ink X Y W H: how many pixels of the client area box are not white.
ink() {
  read -r ox _ < <(window_origin "$MAIN")
  local top; top=$(client_top)
  import -window root -crop "${3}x${4}+$((ox + $1))+$((top + $2))" -depth 8 txt:- 2>/dev/null |
    tail -n +2 | grep -vc "#FFFFFF" || true
}
# Text-pane cell C of the first row (pane at x 432, 178 wide, rows from y 32).
cell_ink() { ink $((432 + (C = $1, (C * 178 + 89) / 17) - 2)) 34 12 18; }

# 1. The LF table.
printf '# a table written on Linux\n41=A\n42=B\n\n8140=x\n/00=<end>\n*0A\n43 = C\n' > "$WORK/lf.tbl"
cp "$WORK/lf.tbl" "$WORK/lf.orig"
printf 'ABCABC\x00\x0a' > "$WORK/doc.bin"
start_app "$WORK/doc.bin"
key alt+t
key l
choose_file "Open Table" "$WORK/lf.tbl"
await_message "the message about the skipped line"
answer_message Return
await_focus "$MAIN" "the main window, after the message"
click_client 549 16         # the "Table" view

copy_table 0 7 "["
wait_for "the LF table's letters on the clipboard" 10 clipboard_is $'[A[B[ C[A[B[ C[<end>[\n'
find_table "AB"             # from the cursor (0) on: offset 3
typetext "ee"
key ctrl+s
wait_for "the byte typed where Find stopped" 10 file_is "$WORK/doc.bin" "414243ee4243000a"

save_table_over "$WORK/lf.tbl"
await_message "the question before losing a line"
answer_message Return       # Cancel is the default
cmp -s "$WORK/lf.tbl" "$WORK/lf.orig" || fail "Cancel changed the table file"
save_table_over "$WORK/lf.tbl"
await_message "the question, again"
key Tab                     # from Cancel to Save
answer_message space
wait_for "the table saved over the LF file" 10 file_is "$WORK/lf.tbl" \
  "$(hex_of_text $'00=<end>\r\n0A=\n\r\n41=A\r\n42=B\r\n43= C\r\n')"
kill "$APP_PID"
wait "$APP_PID" 2>/dev/null || true
APP_PID=""
echo "ok: the LF table ($SECONDS s)"

# 2. The UTF-8 table (あ, é, 日本), as the editor writes it.
printf '41=\xe3\x81\x82\r\n42=\xc3\xa9\r\n44=\xe6\x97\xa5\xe6\x9c\xac\r\n' > "$WORK/jp.tbl"
cp "$WORK/jp.tbl" "$WORK/jp.orig"
printf '\x10\x41\x10\x10\x44\x42\x10\x41\x44' > "$WORK/jp.bin"
start_app --table "$WORK/jp.tbl" "$WORK/jp.bin"
has_window "$MSG_TITLE" && fail "the UTF-8 table gave a message"
# Drawn as a character, あ (cell 1) has far more ink than the "." of a byte
# without letters (cell 3, clear of wide neighbours); drawn as three Latin-1
# letters it would be "...".
drawn_as_character() { [ "$(cell_ink 1)" -gt $((3 * $(cell_ink 3) + 20)) ]; }
wait_for "あ drawn as a character ($(cell_ink 1) pixels against $(cell_ink 3) for a dot)" 10 drawn_as_character
find_table "日本"           # offset 4
find_table "あ日本"         # offset 7
typetext "ff"
key ctrl+s
wait_for "the byte typed where Find stopped" 10 file_is "$WORK/jp.bin" "10411010444210ff44"
copy_table 1 5 "-"
wait_for "the characters on the clipboard" 10 clipboard_is "-あ---日本-é"
inode=$(stat -c %i "$WORK/jp.tbl")
new_file() { [ "$(stat -c %i "$WORK/jp.tbl")" != "$inode" ]; }
save_table_over "$WORK/jp.tbl"
wait_for "the UTF-8 table saved" 10 new_file
has_window "$MSG_TITLE" && fail "saving a fully read table asked"
cmp -s "$WORK/jp.tbl" "$WORK/jp.orig" || fail "the saved UTF-8 table differs from the file read"
# Typed in the text pane, é is looked up as the UTF-8 letter it is: byte 42 at the cursor (8).
key Tab
key eacute
key ctrl+s
wait_for "é typed through the table" 10 file_is "$WORK/jp.bin" "10411010444210ff42"
echo "ok: the UTF-8 table ($SECONDS s)"
echo PASS
