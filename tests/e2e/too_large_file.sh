# A file of 9 MiB is refused with the size message; the editor keeps running and
# a later Save does not touch the refused file.
. "$(dirname "$0")/lib.sh"
truncate -s 9437184 "$WORK/big.bin"
"$BIN" "$WORK/big.bin" &
APP_PID=$!
wait_for "the size message" 20 has_window "Tarpon's Hex"
BOX=$(window_named "Tarpon's Hex")
focus "$BOX"
key Return
wait_for "the main window" 20 has_window "$MAIN_TITLE"
MAIN=$(window_named "$MAIN_TITLE")
focus "$MAIN"
key ctrl+s
wait_for "the save failure message" 10 has_window "Tarpon's Hex"
[ "$(stat -c %s "$WORK/big.bin")" = 9437184 ] || fail "the refused file changed"
echo PASS
