# Find (F2) with a Hex list, Ascii text and a relative search, Find Again (F3)
# after the dialog is closed, going round the end of the document, and the
# message when nothing matches. Each found place is marked by typing a byte over
# it; the saved file shows where the cursor went.
. "$(dirname "$0")/lib.sh"
{
  printf '\x00\x11\x22\x33\x44\x55\x66\x77'
  printf 'Hello\x00\x00\x00'
  printf '\x22\x33\x00\x00\x00\x00\x00\x00'
  printf '\x88\x85\x8c\x8c\x8f\x00\x00\x00'   # "hello" stored 0x20 higher
  printf '\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '\x22\x33\x00\x00\x00\x00\x00\x00'
} > "$WORK/doc.bin"
start_app "$WORK/doc.bin"


open_find
typetext "22 33"
key Return          # finds offset 2
key Return          # searches on from the cursor: offset 16
close_find
typetext "ee"       # byte 16
key F3              # offset 40
typetext "dd"
key F3              # round the end: offset 2
typetext "cc"

open_find
click_in "$FIND" 20 70      # "Ascii"
click_in "$FIND" 120 17     # back into the text box
typetext "Hello"
key Return
close_find
typetext "00"       # byte 8

open_find
click_in "$FIND" 20 70      # "Ascii"
click_in "$FIND" 95 94      # "Relative Search:"
click_in "$FIND" 120 17
typetext "hello"
key Return
close_find
typetext "11"       # byte 24

open_find
typetext "99 98"
key Return
BOX=$(await_window "Tarpon's Hex")
await_focus "$BOX" "the message"
key Return
await_gone "Tarpon's Hex"
FIND=$(window_named "Find")
[ -n "$FIND" ] || fail "the Find window closed after a failed search"
await_focus "$FIND" "the Find window, after the message"
close_find

key ctrl+s
expected="0011cc3344556677""00656c6c6f000000""ee33000000000000""1185""8c8c8f000000""0000000000000000""dd33000000000000"
wait_for "the saved bytes" 10 file_is "$WORK/doc.bin" "$expected"
echo PASS
