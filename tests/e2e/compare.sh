# Compare With... in the real window: the differing bytes are marked, F7 walks to
# them, an edit that makes a byte agree takes its mark away, and the caption counts
# the runs; Apply Patch... makes the patched bytes the document, the file unchanged.
. "$(dirname "$0")/lib.sh"
SHOT=$WORK/../compare-fail.png

python3 - "$WORK" <<'PY'
import sys
a = bytearray(b"".join(b"Line %03d of the script: the hero speaks. " % i for i in range(60)))
b = bytearray(a)
b[0x25:0x29] = b"HERO"; b[0x100] = 0; b[0x1F0:0x1F8] = b"XXXXXXXX"; b[0x5A0] = ord("!")
open(sys.argv[1] + "/a.bin", "wb").write(a)
open(sys.argv[1] + "/b.bin", "wb").write(b + b"tail bytes")
PY
"$BIN" patch create "$WORK/a.bin" "$WORK/b.bin" "$WORK/b.ips" || fail "patch create"

start_app "$WORK/a.bin"
title_is() { [ "$(xdotool getwindowname "$MAIN")" = "$1" ]; }
caption="$MAIN_TITLE - 4 runs, 14 bytes differ from b.bin (sizes differ: 2460 and 2470 bytes; the first 2460 compared)"
key alt+f w
choose_file "Compare With" "$WORK/b.bin"
wait_for "the caption with the count" 10 title_is "$caption"

# The byte at 0x25 (row 2, column 5 of the hex pane) is marked; the cursor's mark over it after F7.
CLIENT_TOP=$(client_top)
read -r ox _ < <(window_origin "$MAIN")
at_0x25() { pixel $((ox + 88 + 112)) $((CLIENT_TOP + 32 + 40)); }
[ "$(at_0x25)" = "255,236,179" ] || fail "0x25 is not marked: $(at_0x25)"
key F7
wait_for "the cursor on 0x25" 10 test "$(at_0x25)" = "255,236,51"
key F7
wait_for "the cursor gone on to 0x100" 10 test "$(at_0x25)" = "255,236,179"
typetext "00"
wait_for "3 runs after the edit" 10 title_is "${caption/4 runs, 14 bytes/3 runs, 13 bytes}"
echo "ok: marks, F7 and the count after an edit ($SECONDS s)"

# Apply Patch...: the document is b.bin's bytes now, a.bin unchanged, and leaving asks to save.
key alt+f y
choose_file "Patch To Apply" "$WORK/b.ips"
wait_for "no difference left" 10 title_is "$MAIN_TITLE - no difference from b.bin"
cmp -s "$WORK/a.bin" <(python3 -c "
import sys; sys.stdout.buffer.write(b''.join(b'Line %03d of the script: the hero speaks. ' % i for i in range(60)))") ||
  fail "a.bin was changed"
stop_app "apply"
echo "PASS"
