# Saving where it can go wrong, in the real program: under a file-size limit
# (ulimit -f) Ctrl+S reports the problem instead of the editor being killed, and
# leaves the old file and no temporary file; a name chosen with a trailing blank
# is a file of its own; a file with a second hard link is written in place.
. "$(dirname "$0")/lib.sh"
MSG_TITLE="Tarpon's Hex"

stop_app() {
  kill -0 "$APP_PID" 2>/dev/null || fail "$1: the editor is gone"
  kill "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

# A file-size limit of 1 KiB for the editor alone; a document of 3000 bytes.
head -c 3000 /dev/zero | tr '\0' '\252' > "$WORK/big.bin"
cp "$WORK/big.bin" "$WORK/big.orig"
printf '#!/bin/bash\nulimit -f 1\nexec "%s" "$@"\n' "$BIN" > "$WORK/limited"
chmod +x "$WORK/limited"
BIN=$WORK/limited start_app "$WORK/big.bin"
typetext "41"
key ctrl+s
wait_for "the save problem message" 20 has_window "$MSG_TITLE"
focus "$(window_named "$MSG_TITLE")"
key Return
await_gone "$MSG_TITLE"
cmp -s "$WORK/big.bin" "$WORK/big.orig" || fail "the file changed under the size limit"
[ -z "$(find "$WORK" -name '.big.bin.*')" ] || fail "a temporary file was left: $(ls -A "$WORK")"
# Still there, and still answers: F2 opens Find.
focus "$MAIN"
key F2
wait_for "the find window after the failed save" 10 has_window "Find"
key Escape
stop_app "the size limit"
echo "ok: the file-size limit"

# Save As "victim.bin " makes a new file; victim.bin is neither asked about nor touched.
printf '\x01\x02' > "$WORK/doc.bin"
printf 'victim' > "$WORK/victim.bin"
start_app "$WORK/doc.bin"
key ctrl+a
choose_file "Tarpon's Hex - Save File as" "$WORK/victim.bin "
wait_for "the file with the trailing blank" 10 file_is "$WORK/victim.bin " "0102"
[ "$(cat "$WORK/victim.bin")" = victim ] || fail "victim.bin was overwritten"
stop_app "the trailing blank"
echo "ok: a trailing blank"

# A second hard link sees the saved bytes: the file was written in place.
printf '\x00\x00' > "$WORK/linked.bin"
ln "$WORK/linked.bin" "$WORK/other name.bin"
start_app "$WORK/linked.bin"
typetext "7f"
key ctrl+s
wait_for "the saved bytes" 10 file_is "$WORK/linked.bin" "7f00"
file_is "$WORK/other name.bin" "7f00" || fail "the second link kept the old bytes"
[ -z "$(find "$WORK" -name '.linked.bin.*')" ] || fail "a backup was left: $(ls -A "$WORK")"
stop_app "the hard link"
echo "ok: a second hard link"
echo PASS
