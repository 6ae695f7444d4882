# The editor keeps no settings: a session that opens, saves as, loads and saves a
# table through the file choosers leaves nothing in a fresh home folder, its
# configuration folder included (Qt's own chooser would keep its history in
# QtProject.conf there).
. "$(dirname "$0")/lib.sh"

home=$WORK/home
mkdir -p "$home/config"
printf '\x41\x42' > "$WORK/data.bin"
printf '41=A\r\n42=B\r\n' > "$WORK/letters.tbl"
START_WITH="env HOME=$home XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME= XDG_DATA_HOME= $BIN" start_app

key ctrl+o
choose_file "File To Edit" "$WORK/data.bin"
key ctrl+a
choose_file "Tarpon's Hex - Save File as" "$WORK/copy.bin"
file_is "$WORK/copy.bin" 4142 || fail "Save As did not write the copy"
key alt+t l
choose_file "Open Table" "$WORK/letters.tbl"
key alt+t s
choose_file "Tarpon's Hex - Save Table as" "$WORK/again.tbl"
[ -s "$WORK/again.tbl" ] || fail "the table was not saved"
key ctrl+e
wait_for "the editor to exit" 10 exited
APP_PID=""

left=$(cd "$home" && find . -mindepth 1 ! -path ./config | sort)
[ -z "$(ls -A "$home/config")" ] || fail "the session wrote into the configuration folder: $(ls -A "$home/config")"
[ -z "$left" ] || fail "the session left files in the home folder: $left"
echo "ok: no file in the home or configuration folder after a session with every chooser"
echo "PASS"
