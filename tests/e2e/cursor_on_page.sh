# The cursor never leaves the page: a jump into the 16 bytes before the last
# 32-byte block, then typing there; and hex typing that runs past the last row
# shown. Each time the yellow cursor mark is on screen and the typed bytes are saved.
. "$(dirname "$0")/lib.sh"
head -c 400 /dev/zero > "$WORK/near_end.bin"
start_app "$WORK/near_end.bin"
# The cursor mark in the hex pane (x 88..441 of the client area) is pale yellow over white.
mark_shown() { [ "$(count_colour 88 32 353 329 255,255,63)" -gt 100 ]; }
key F1
jump=$(await_window "Jump To")
await_focus "$jump" "the Jump To window"
typetext "172"
key Return Escape
await_gone "Jump To"
await_focus "$MAIN" "the main window"
typetext "cd"
key ctrl+s
expected=$(head -c 370 /dev/zero | od -An -v -tx1 | tr -d ' \n')cd$(head -c 29 /dev/zero | od -An -v -tx1 | tr -d ' \n')
wait_for "the byte typed at 0x172" 10 file_is "$WORK/near_end.bin" "$expected"
SHOT=$WORK/near_end.png
mark_shown || fail "no cursor mark after typing near the end"
import -window root "$WORK/near_end.png"
kill "$APP_PID"; wait "$APP_PID" 2>/dev/null || true; APP_PID=""

# 2000 bytes; 40 rows of 16 typed from offset 0 run far past the 18 rows shown.
head -c 2000 /dev/zero > "$WORK/long.bin"
start_app "$WORK/long.bin"
for _ in $(seq 40); do xdotool type --delay 8 "11111111111111111111111111111111"; done
key ctrl+s
expected=$(printf '11%.0s' $(seq 640))$(head -c 1360 /dev/zero | od -An -v -tx1 | tr -d ' \n')
wait_for "640 typed bytes" 20 file_is "$WORK/long.bin" "$expected"
SHOT=$WORK/long.png
mark_shown || fail "no cursor mark after typing past the page"
import -window root "$WORK/long.png"
[ -n "${E2E_SHOTS:-}" ] && cp "$WORK"/*.png "$E2E_SHOTS/"
echo PASS
