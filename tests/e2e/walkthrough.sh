# The README's walkthrough on examples/quest.bin: load quest.tbl through the file
# dialog, show the "Table" view, find "dragon" by relative search, type "kraken"
# over it with Multi Letters, save. Then, on the same document: Copy ▸ Table of the
# new word, a Hex search and Find Again (F3) after the Find window is closed, round
# the end of the document, and the table saved back unchanged. With SHOTS set to a
# folder, it also takes the README's pictures of the main window, the table editor
# and the Find window.
. "$(dirname "$0")/lib.sh"
EXAMPLES=$(cd "$(dirname "$0")/../../examples" && pwd)
cp "$EXAMPLES/quest.bin" "$WORK/quest.bin"
before=$(hex_of "$WORK/quest.bin")
[ "$(grep -o 849281878f8e <<<"$before" | wc -l)" = 1 ] || fail "quest.bin should hold \"dragon\" once"
expected=${before/849281878f8e/8b92818b858e}    # k r a k e n

# Pictures without time stamps, so that remaking them changes no file needlessly.
shot() { [ -z "${SHOTS:-}" ] || import -window "$1" -define png:exclude-chunk=date,time "$SHOTS/$2"; }

cd "$EXAMPLES/.."     # the README runs the editor from the top of the clone
# As the README's Quick start does, through scripts/run.sh, when BIN is the editor
# that script builds; another build (the sanitizer one) is started directly.
[ "$(realpath "$BIN")" = "$(realpath -m build/tarpon-hex)" ] && START_WITH="bash scripts/run.sh"
start_app "$WORK/quest.bin"
key alt+t
key l
choose_file "Open Table" "examples/quest.tbl"
await_focus "$MAIN" "the main window"
click_client 549 16                 # "Table"

key F12
ED=$(await_window "Edit Table")
await_focus "$ED" "the table editor"
shot "$ED" table-editor.png
key Tab Escape                      # Escape on a button closes the editor
await_gone "Edit Table"
await_focus "$MAIN" "the main window"

key F2
FIND=$(await_window "Find")
await_focus "$FIND" "the Find window"
typetext "dragon"
click_in "$FIND" 20 70              # "Ascii"
click_in "$FIND" 95 94              # "Relative Search:"
shot "$FIND" find-dialog.png
click_in "$FIND" 120 17
key Return
key Escape
await_gone "Find"
await_focus "$MAIN" "the main window"

key ctrl+d                          # Multi Letters: "e" waits to see if "er" follows
key Tab
typetext "kraken"
shot "$MAIN" main-window.png
key ctrl+s
wait_for "the saved file" 10 file_is "$WORK/quest.bin" "$expected"

# The new word, copied through the table.
open_copy
set_box 120 25 62                   # From
set_box 120 49 67                   # To
click_in "$COPY" 220 120            # "Table"
copy_to_clip
wait_for "the new word on the clipboard" 10 clipboard_is kraken

# The byte of "the" lies at 0x60, 0x6C and 0x71; the cursor is after "kraken" (0x68).
# Find opens afresh (Hex, not relative); each later find is marked by typing a byte.
key shift+Tab                       # to the hex pane
open_find
typetext "c0"
key Return                          # 0x6C
close_find
key F3                              # 0x71
typetext "ee"
key F3                              # round the end: 0x60
typetext "dd"
key ctrl+s
with_byte() { local at=$(($2 * 2)); echo "${1:0:at}$3${1:at+2}"; }
expected=$(with_byte "$(with_byte "$expected" $((0x71)) ee)" $((0x60)) dd)
wait_for "the bytes typed where Find Again stopped" 10 file_is "$WORK/quest.bin" "$expected"
# The table came through loading, the table editor and typing unchanged.
key alt+t
key s
choose_file "Tarpon's Hex - Save Table as" "$WORK/check.tbl"
wait_for "the saved table" 10 cmp -s "$WORK/check.tbl" "$EXAMPLES/quest.tbl"
echo PASS
