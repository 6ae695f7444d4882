# Bad inputs through the real program: none crashes or hangs, each gives a message
# or a harmless effect, and the editor still answers the keyboard afterwards.
. "$(dirname "$0")/lib.sh"
MSG_TITLE="Tarpon's Hex"
# The X server resets whenever its last client leaves, and an editor started during
# the reset cannot connect; a selection owner in the background stays connected.
printf keep | xclip -selection secondary

stop_app() {
  kill -0 "$APP_PID" 2>/dev/null || fail "$1: the editor is gone"
  kill "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

# The editor answers: F2 opens the find window.
still_answers() {
  focus "$MAIN"
  key F2
  wait_for "$1: the find window" 10 has_window "Find"
  key Escape
}

# expect_message CASE PATH: a message box comes up first, then the main window.
expect_message() {
  ${RUN_AS:-} "$BIN" "$2" &
  APP_PID=$!
  wait_for "$1: the message" 20 has_window "$MSG_TITLE"
  focus "$(window_named "$MSG_TITLE")"
  key Return
  wait_for "$1: the main window" 20 has_window "$MAIN_TITLE"
  MAIN=$(window_named "$MAIN_TITLE")
  still_answers "$1"
  stop_app "$1"
  echo "ok: $1 ($SECONDS s)"
}

mkdir "$WORK/a folder"
expect_message "a directory" "$WORK/a folder"
mkfifo "$WORK/fifo"
expect_message "a FIFO" "$WORK/fifo"
expect_message "/dev/zero" /dev/zero
truncate -s 9437184 "$WORK/big.bin"
expect_message "a 9,437,184-byte file" "$WORK/big.bin"
[ "$(stat -c %s "$WORK/big.bin")" = 9437184 ] || fail "the refused file changed"
printf 'secret' > "$WORK/secret.bin"
chmod 000 "$WORK/secret.bin"
if [ "$(id -u)" -ne 0 ]; then
  expect_message "an unreadable file" "$WORK/secret.bin"
elif command -v setpriv >/dev/null; then
  # Root reads every file: run this one case as nobody, with a copy of the
  # display's key that nobody may read.
  chmod 755 "$WORK"
  cp "${XAUTHORITY:-$HOME/.Xauthority}" "$WORK/xauth"
  chmod 644 "$WORK/xauth"
  XAUTHORITY=$WORK/xauth HOME=$WORK XDG_RUNTIME_DIR= \
    RUN_AS="setpriv --reuid=65534 --regid=65534 --clear-groups" \
    expect_message "an unreadable file" "$WORK/secret.bin"
  [ "$(cat "$WORK/secret.bin")" = secret ] || fail "the unreadable file changed"
else
  echo "skipped: an unreadable file (root reads every file, and setpriv is missing)"
fi

# A path with spaces and both kinds of quotes opens, and saving writes to it.
ODD="$WORK/it's a \"quoted\" name.bin"
printf '\x00\x01' > "$ODD"
start_app "$ODD"
typetext "7f"
key ctrl+s
wait_for "the saved bytes in the odd path" 10 file_is "$ODD" "7f01"
stop_app "the odd path"
echo "ok: a path with spaces and quotes"

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

# Table files through the "Open Table" chooser: random bytes, and 8 MiB of
# entries ending in one very long entry.
head -c 65536 /dev/urandom > "$WORK/random.tbl"
python3 - "$WORK/long.tbl" <<'PY'
import sys
size = 8 * 1024 * 1024
lines = b"".join(b"%02X=%c\r\n" % (i, 65 + i % 26) for i in range(256))
head = lines * ((size // 2) // len(lines))
tail = b"41=" + b"x" * (size - len(head) - 3)
open(sys.argv[1], "wb").write(head + tail)
PY
[ "$(stat -c %s "$WORK/long.tbl")" = 8388608 ] || fail "the long table is not 8 MiB"
start_app
for table in random long; do
  # random: 64 KiB of random bytes; long: 8 MiB, ending in one entry of 4 MiB.
  focus "$MAIN"
  key alt+t l
  wait_for "the table chooser" 10 has_window "Open Table"
  focus "$(window_named "Open Table")"
  typetext "$WORK/$table.tbl"
  key Return
  wait_for "the chooser to close" 10 bash -c "! xdotool search --onlyvisible --name '^Open Table\$'"
  if [ "$table" = random ]; then
    # Random bytes are not table lines: a message lists what was skipped.
    wait_for "the random table: the message about skipped lines" 20 has_window "$MSG_TITLE"
    focus "$(window_named "$MSG_TITLE")"
    key Return
    wait_for "the message to close" 10 no_window "$MSG_TITLE"
  fi
  # The text pane in table view shows the letters of whatever was read.
  click_client 565 16
  still_answers "the $table table"
  echo "ok: the $table .tbl ($SECONDS s)"
done
stop_app "the tables"
echo PASS
