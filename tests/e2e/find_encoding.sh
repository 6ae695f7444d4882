# Finding an unknown encoding: a document holds a kana sentence stored in gojuon
# order from byte 0x20, and a decoy with the same steps. Find ▸ Ascii, relative,
# Hiragana, Find All lists both hits; Enter on the second moves the cursor there;
# "Table from Hit" fills the table, the table editor shows it, and Copy ▸ Table of
# the sentence gives the kana back. Then the README's "find the encoding" steps on
# examples/quest.bin: "dragon" through ASCII, its table (a-z from 0x81) read back by
# Copy ▸ Table. With SHOTS set to a folder, it also takes the
# README's picture of the hit list.
. "$(dirname "$0")/lib.sh"
python3 - "$WORK/kana.bin" <<'PY'
import sys
order = "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをゃっゅょ"
sentence = bytes(0x20 + order.index(c) for c in "まおうはしろにいる")
decoy = bytes([0x90, 0x76, 0x74])     # the steps of まおう from another base
open(sys.argv[1], "wb").write(b"\xff" * 4 + decoy + b"\xff" * 5 + sentence + b"\x00" + b"\xff" * 3)
PY
shot() { [ -z "${SHOTS:-}" ] || import -window "$1" -define png:exclude-chunk=date,time "$SHOTS/$2"; }

start_app "$WORK/kana.bin"
printf '%s' "まおう" | xclip -selection clipboard
open_find
key ctrl+v
click_in "$FIND" 20 70              # "Ascii"
click_in "$FIND" 95 94              # "Relative Search:"
click_in "$FIND" 116 120            # the alphabet: its list opens on "ASCII"
key Down Return                     # "Hiragana"
click_in "$FIND" 196 120            # "Find All": the list takes the Find window's place
await_gone "Find"
HITS=$(await_window "Find All")
await_focus "$HITS" "the hit list"
shot "$HITS" hit-list.png
key Down Return                     # the second hit: the cursor goes to 0x0C
key Tab space                       # "Table from Hit"
ED=$(await_window "Edit Table")
await_focus "$ED" "the table editor"
key Tab Escape                      # Escape on a button closes the editor
await_gone "Edit Table"
await_focus "$MAIN" "the main window"
has_window "Find All" || fail "the hit list should stay open"

open_copy
set_box 120 25 C                    # From: the sentence's first byte
set_box 120 49 14                   # To: its last
click_in "$COPY" 220 120            # "Table"
copy_to_clip
wait_for "the sentence on the clipboard" 10 clipboard_is "まおうはしろにいる"
stop_app "the kana search"

cp "$(dirname "$0")/../../examples/quest.bin" "$WORK/quest.bin"
start_app "$WORK/quest.bin"
open_find
typetext "dragon"
click_in "$FIND" 20 70              # "Ascii"
click_in "$FIND" 95 94              # "Relative Search:" (the alphabet stays ASCII)
click_in "$FIND" 196 120            # "Find All"
HITS=$(await_window "Find All")
await_focus "$HITS" "the hit list"
key Return                          # the one hit, 0x62
key Tab space                       # "Table from Hit"
ED=$(await_window "Edit Table")
await_focus "$ED" "the table editor"
key Tab Escape
await_gone "Edit Table"
await_focus "$MAIN" "the main window"
open_copy
set_box 120 25 5B                   # "find the dragon": the blank and "the" have no entry yet
set_box 120 49 67
click_in "$COPY" 220 120            # "Table"
copy_to_clip
wait_for "the words on the clipboard" 10 clipboard_is "finddragon"
echo PASS
