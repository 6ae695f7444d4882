# "&Load Table..." through the file dialog, the "Table" view, "&Multi Letters"
# (Ctrl+D) and typing in the text pane: with the letters collected, "the" is one
# entry; without them the letters would be matched one by one. Then save.
. "$(dirname "$0")/lib.sh"
printf '\x00\x01\x02\x03\x04\x05' > "$WORK/doc.bin"
printf '41=t\r\n42=th\r\n43=the\r\n44=x\r\n45=e\r\n' > "$WORK/letters.tbl"
start_app "$WORK/doc.bin"
key alt+t
key l
choose_file "Open Table" "$WORK/letters.tbl"
await_focus "$MAIN" "the main window, after the file dialog"
# The "Table" caption of the 625-pixel-wide window: text pane at 432, 178 wide.
click_client 549 16
# The chosen view's caption is drawn in red: now "Table", no longer "Ascii".
caption_red() { [ "$(count_colour "$1" 8 33 17 176,0,0)" -gt 10 ]; }
wait_for "the red \"Table\" caption" 10 caption_red 533
caption_red 474 && fail "the \"Ascii\" caption is still red"
key ctrl+d
key Tab             # to the text pane, cursor still on offset 0
typetext "thex"
key ctrl+s
wait_for "the saved bytes" 10 file_is "$WORK/doc.bin" "434402030405"
echo PASS
