# Bad inputs through the real program: none crashes or hangs, each gives a message
# or a harmless effect, and the editor still answers the keyboard afterwards.
# 1. files that cannot be documents; 2. saves that cannot go through (a read-only
# file as an ordinary user, a file-size limit) and odd names; 3. editing keys in
# every pane; 4. broken and unusual table files (random bytes, 8 MiB, LF line ends,
# UTF-8).
. "$(dirname "$0")/lib.sh"

# The editor answers: F2 opens the find window.
still_answers() {
  focus "$MAIN"
  key F2
  wait_for "$1: the find window" 10 has_window "Find"
  key Escape
  await_gone "Find"
}
no_leftovers() { [ -z "$(find "$WORK" -name ".$1.*")" ] || fail "a temporary file was left: $(ls -A "$WORK")"; }

# Root reads and writes every file: the cases about permissions run as nobody, with a
# copy of the display's key that nobody may read.
AS_USER=""
if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null || fail "setpriv is needed to run as an ordinary user"
  chmod 755 "$WORK"
  cp "${XAUTHORITY:-$HOME/.Xauthority}" "$WORK/xauth"
  chmod 644 "$WORK/xauth"
  AS_USER="env XAUTHORITY=$WORK/xauth HOME=$WORK XDG_RUNTIME_DIR= setpriv --reuid=65534 --regid=65534 --clear-groups"
fi

# 1. expect_message CASE PATH [COMMAND...]: a message box comes up first, then the
# main window, where COMMAND runs.
expect_message() {
  local what=$1 path=$2; shift 2
  ${RUN_AS:-} "$BIN" "$path" &
  APP_PID=$!
  await_message "$what: the message"
  answer_message Return
  wait_for "$what: the main window" 20 has_window "$MAIN_TITLE"
  MAIN=$(window_named "$MAIN_TITLE")
  focus "$MAIN"
  "${@:-true}"
  still_answers "$what"
  stop_app "$what"
  echo "ok: $what ($SECONDS s)"
}
# After a refused file the document has no name: Save gives a message, the file stays.
save_is_harmless() {
  key ctrl+s
  await_message "Save without a name"
  answer_message Return
}
mkdir "$WORK/a folder"
expect_message "a directory" "$WORK/a folder"
mkfifo "$WORK/fifo"
expect_message "a FIFO" "$WORK/fifo"
expect_message "/dev/zero" /dev/zero
truncate -s 9437184 "$WORK/big.bin"
expect_message "a 9,437,184-byte file" "$WORK/big.bin" save_is_harmless
[ "$(stat -c %s "$WORK/big.bin")" = 9437184 ] || fail "the refused file changed"
printf 'secret' > "$WORK/secret.bin"
chmod 000 "$WORK/secret.bin"
RUN_AS=$AS_USER expect_message "an unreadable file" "$WORK/secret.bin"
[ "$(cat "$WORK/secret.bin")" = secret ] || fail "the unreadable file changed"

# 2. A read-only file saved by an ordinary user: refused with a message, the file and
# the folder as they were.
printf '\x00\x01' > "$WORK/readonly.bin"
chmod 444 "$WORK/readonly.bin"
START_WITH="$AS_USER $BIN" start_app "$WORK/readonly.bin"
typetext "7f"
key ctrl+s
await_message "the refused save"
answer_message Return
file_is "$WORK/readonly.bin" "0001" || fail "the read-only file changed"
no_leftovers readonly.bin
still_answers "the read-only file"
stop_app "the read-only file"
echo "ok: a read-only file ($SECONDS s)"

# Under a file-size limit (ulimit -f) Ctrl+S reports the problem instead of the
# editor being killed, and leaves the old file and no temporary file.
head -c 3000 /dev/zero | tr '\0' '\252' > "$WORK/big3k.bin"
cp "$WORK/big3k.bin" "$WORK/big3k.orig"
printf '#!/bin/bash\nulimit -f 1\nexec "%s" "$@"\n' "$BIN" > "$WORK/limited"
chmod +x "$WORK/limited"
START_WITH=$WORK/limited start_app "$WORK/big3k.bin"
typetext "41"
key ctrl+s
await_message "the save problem under the size limit"
answer_message Return
cmp -s "$WORK/big3k.bin" "$WORK/big3k.orig" || fail "the file changed under the size limit"
no_leftovers big3k.bin
still_answers "the size limit"
stop_app "the size limit"
echo "ok: the file-size limit ($SECONDS s)"

# A path with spaces and both kinds of quotes opens and saves; Save As to a name
# ending in a blank makes a file of its own and leaves the name without it alone.
ODD="$WORK/it's a \"quoted\" name.bin"
printf '\x00\x01' > "$ODD"
printf 'victim' > "$WORK/victim.bin"
start_app "$ODD"
typetext "7f"
key ctrl+s
wait_for "the saved bytes in the odd path" 10 file_is "$ODD" "7f01"
key ctrl+a
choose_file "Tarpon's Hex - Save File as" "$WORK/victim.bin "
wait_for "the file with the trailing blank" 10 file_is "$WORK/victim.bin " "7f01"
[ "$(cat "$WORK/victim.bin")" = victim ] || fail "victim.bin was overwritten"
stop_app "the odd names"
echo "ok: odd names ($SECONDS s)"

# An empty file opens as an empty document; typing into it changes nothing.
: > "$WORK/empty.bin"
start_app "$WORK/empty.bin"
typetext "41"
key Delete ctrl+s
still_answers "the empty file"
has_window "$MSG_TITLE" && fail "the empty file gave a message"
[ "$(stat -c %s "$WORK/empty.bin")" = 0 ] || fail "the empty file changed"
stop_app "the empty file"
echo "ok: an empty file"

# 3. Editing keys in every pane write nothing of their own: Escape in the hex and text
# panes opens the File menu, Delete there deletes a byte; in the "Ascii" view the text
# pane writes the code of what a key types (Backspace 08, Enter 0D); Enter in the Dec
# and Oct panes steps on; nothing else changes a byte.
python3 -c "import sys; sys.stdout.buffer.write(bytes(range(16)))" > "$WORK/keys.bin"
start_app "$WORK/keys.bin"
menu_opens() {
  wait_for "the File menu" 10 bash -c "[ \$(xdotool search --onlyvisible --class tarpon-hex | wc -l) -ge 2 ]"
  key Escape   # one Escape closes it and gives the keyboard back to the pane
}
key BackSpace Return Escape         # hex pane
menu_opens
key Delete Tab Escape               # byte 0 goes; text pane
menu_opens
key Delete BackSpace Return         # byte 1 goes; 08 and 0D at 0 and 1
key Tab BackSpace Delete Escape Return Tab BackSpace Delete Escape Return   # Dec, Oct: on to 4
key Tab BackSpace Delete Escape Return Tab   # Offset, back to the hex pane
typetext "99"
key ctrl+s
wait_for "the bytes after the keys" 10 file_is "$WORK/keys.bin" "080d0405990708090a0b0c0d0e0f"
stop_app "the keys"
echo "ok: keys in every pane ($SECONDS s)"

# 4. Table files through the "Open Table" chooser: random bytes (a message lists the
# skipped lines), 8 MiB of entries given again and again and ending in one entry of
# 4 MiB (a message names the keys given twice), and a table written on Linux (LF
# line ends, a comment, a blank line, a two-byte key, an end token, a newline
# marker, blanks around "="), which reads whole without a message.
head -c 65536 /dev/urandom > "$WORK/random.tbl"
python3 - "$WORK/long.tbl" <<'PY'
import sys
size = 8 * 1024 * 1024
lines = b"".join(b"%02X=%c\r\n" % (i, 65 + i % 26) for i in range(256))
head = lines * ((size // 2) // len(lines))
tail = b"41=" + b"x" * (size - len(head) - 3)
open(sys.argv[1], "wb").write(head + tail)
PY
printf '# a table written on Linux\n41=A\n42=B\n\n8140=x\n/00=<end>\n*0A\n43 = C\n' > "$WORK/lf.tbl"
cp "$WORK/lf.tbl" "$WORK/lf.orig"
start_app
for table in random long lf; do
  if [ "$table" = lf ]; then        # a table of its own: loading merges into the table held
    stop_app "the broken tables"
    start_app
  fi
  key alt+t l
  choose_file "Open Table" "$WORK/$table.tbl"
  if [ "$table" != lf ]; then
    await_message "the $table table: the message about skipped lines or keys given twice"
    answer_message Return
  fi
  await_focus "$MAIN" "the main window, after the $table table"
  [ "$table" = lf ] && has_window "$MSG_TITLE" && fail "the LF table gave a message"
  click_client 549 16               # the "Table" view shows whatever was read
  still_answers "the $table table"
  echo "ok: the $table .tbl ($SECONDS s)"
done
# The LF table's letters are used: Copy ▸ Table of 41..43 (hex) of the start-up document.
copy_table() {
  open_copy
  set_box 120 25 "$1"
  set_box 120 49 "$2"
  set_box 56 113 "$3"
  click_in "$COPY" 220 120          # "Table"
  copy_to_clip
}
copy_table 41 43 "["
wait_for "the LF table's letters on the clipboard" 10 clipboard_is "[A[B[ C"
# Saved unchanged over its own file (replaced on disk meanwhile, which Save Table asks
# about before it overwrites: Overwrite), the table gives the file back byte for byte:
# comment, blank line, two-byte key, markers and all.
printf 'x' > "$WORK/lf.tbl"
key alt+t s
SAVE=$(await_window "Tarpon's Hex - Save Table as")
await_focus "$SAVE" "the save chooser"
key ctrl+a
typetext "$WORK/lf.tbl"
key Return
two_save_windows() { [ "$(xdotool search --onlyvisible --name "^Tarpon's Hex - Save Table as\$" | wc -l)" -ge 2 ]; }
wait_for "the chooser's question about replacing" 10 two_save_windows
key alt+y
await_gone "Tarpon's Hex - Save Table as"
await_message "the question: lf.tbl has changed on disk since it was opened"
key shift+Tab                       # from Cancel, the default, to Overwrite
answer_message space
same_as_read() { cmp -s "$WORK/lf.tbl" "$WORK/lf.orig"; }
wait_for "the LF table saved back as it was read" 10 same_as_read
stop_app "the tables"
echo "ok: the LF table ($SECONDS s)"

# A UTF-8 table (あ, é, 日本) named with --table: the text pane opens in the "Table"
# view and draws the characters, not their bytes; Find ▸ Table finds pasted Japanese,
# Copy ▸ Table puts the characters on the clipboard, and é typed in the text pane
# writes its byte.
printf '41=\xe3\x81\x82\r\n42=\xc3\xa9\r\n44=\xe6\x97\xa5\xe6\x9c\xac\r\n' > "$WORK/jp.tbl"
printf '\x10\x41\x10\x10\x44\x42\x10\x41\x44' > "$WORK/jp.bin"
start_app --table "$WORK/jp.tbl" "$WORK/jp.bin"
has_window "$MSG_TITLE" && fail "the UTF-8 table gave a message"
# ink X W: how many pixels are not white in the top 12 rows of the text pane's first
# row, from X (in the client area) W pixels wide. The pane lies at x 432, its cells
# 178/17 wide: あ in cell 1 lies within x 442..457 and the "." of cell 2 below these
# rows, so x 460..467 stays white; drawn as its three bytes, "ã" and two boxes, it
# would run on into it.
ink() {
  read -r ox _ < <(window_origin "$MAIN")
  import -window root -crop "${2}x12+$((ox + $1))+$(($(client_top) + 33))" -depth 8 txt:- 2>/dev/null |
    tail -n +2 | grep -vc "#FFFFFF" || true
}
drawn_as_character() { [ "$(ink 444 14)" -gt 30 ] && [ "$(ink 460 8)" -lt 3 ]; }
wait_for "あ drawn as one character ($(ink 444 14) and $(ink 460 8) pixels)" 10 drawn_as_character
copy_table 1 5 "-"
wait_for "the characters on the clipboard" 10 clipboard_is "-あ---日本-é"
# A Table search for text beyond ASCII, pasted: xdotool types it by remapping a key,
# which a busy machine can miss.
open_find
click_in "$FIND" 75 70              # "Table"
click_in "$FIND" 120 17             # back into the text box
printf '日本' | xclip -selection clipboard
key ctrl+v Return
has_window "$MSG_TITLE" && fail "Find ▸ Table found no 日本"
close_find
typetext "ff"                       # over 日本 at 4
key ctrl+s
wait_for "the byte typed where Find stopped" 10 file_is "$WORK/jp.bin" "10411010ff42104144"
key Tab End eacute                  # the text pane, the last byte
key ctrl+s
wait_for "é typed through the table" 10 file_is "$WORK/jp.bin" "10411010ff42104142"
stop_app "the UTF-8 table"
echo "ok: the UTF-8 table ($SECONDS s)"
echo PASS
