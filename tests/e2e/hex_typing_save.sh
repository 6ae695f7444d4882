# Type hex digits over a file's bytes, save with Ctrl+S, and check the bytes on disk.
. "$(dirname "$0")/lib.sh"
printf '\x00\x01\x02\x03' > "$WORK/doc.bin"
start_app "$WORK/doc.bin"
typetext "41"
typetext "4"   # 01 -> 14: the old low digit shifts up
key Right
typetext "f"
key ctrl+s
wait_for "the saved bytes" 10 file_is "$WORK/doc.bin" "41142f03"
echo PASS
