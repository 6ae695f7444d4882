# F4 opens "Copy" on the selection; the clipboard, read back with xclip, holds
# the bytes as decimal values wrapped in the before- and after-texts. A second
# copy with From above To and "Ascii" gives the characters in reverse order.
. "$(dirname "$0")/lib.sh"
printf 'ABCDEFGH' > "$WORK/doc.bin"
start_app "$WORK/doc.bin"
key Right shift+Right shift+Right     # selects offsets 1 to 3

open_copy() {
  key F4
  COPY=$(await_window "Copy")
  await_focus "$COPY" "the Copy window"
}
# set_box X Y TEXT: replaces the text of the box at (X, Y) in the Copy window.
set_box() {
  click_in "$COPY" "$1" "$2"
  key ctrl+a BackSpace
  [ -z "$3" ] || typetext "$3"
}
copy_to_clip() {
  click_in "$COPY" 220 140      # "Copy To Clip"
  await_gone "Copy"
  await_focus "$MAIN" "the main window"
}
clipboard_is() { [ "$(clipboard)" = "$1" ]; }

open_copy
set_box 56 113 "<"            # before each value
set_box 156 113 ">,"          # after each value
copy_to_clip
wait_for "the values on the clipboard" 10 clipboard_is "<66>,<67>,<68>,"

open_copy
set_box 120 25 "6"            # From
set_box 120 49 "2"            # To
click_in "$COPY" 220 104      # "Ascii"
copy_to_clip
wait_for "the characters on the clipboard" 10 clipboard_is "GFEDC"
echo PASS
