# Helpers for end-to-end tests: the real tarpon-hex under Xvfb, driven by xdotool.
# Every wait is bounded; a test fails with a message instead of hanging.
set -euo pipefail

BIN=${BIN:?path to tarpon-hex}
WORK=$(mktemp -d)
APP_PID=""
MAIN_TITLE="Tarpon's Hex By Amber-Heron"
MSG_TITLE="Tarpon's Hex"        # every message box and question
export QT_SCALE_FACTOR=1 QT_QPA_PLATFORM=xcb
# Under AddressSanitizer the program itself runs with strict_string_checks off:
# at start-up libxkbcommon-x11 copies the X server's atom names, which are counted,
# not NUL-terminated, with strndup; that reads no further than the count, but the
# strict check reads on to a NUL and stops every start with a false report.
[ -z "${ASAN_OPTIONS:-}" ] || export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"

cleanup() {
  [ -n "$APP_PID" ] && kill "$APP_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
# The X server resets whenever its last client leaves, and an editor started during
# the reset cannot connect; a selection owner in the background stays connected.
printf keep | xclip -selection secondary

fail() { echo "FAIL: $*" >&2; [ -n "${SHOT:-}" ] && import -window root "$SHOT" 2>/dev/null; exit 1; }

# wait_for DESCRIPTION SECONDS COMMAND...: retries COMMAND until it succeeds.
wait_for() {
  local what=$1 seconds=$2; shift 2
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || fail "timed out waiting for $what"
    sleep 0.1
  done
}

window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1; }
has_window() { [ -n "$(window_named "$1")" ]; }

start_app() {
  ${START_WITH:-"$BIN"} "$@" &
  APP_PID=$!
  wait_for "the main window" 20 has_window "$MAIN_TITLE"
  MAIN=$(window_named "$MAIN_TITLE")
  xdotool windowfocus --sync "$MAIN"
}

# Ends the editor, which must still be running after CASE.
stop_app() {
  kill -0 "$APP_PID" 2>/dev/null || fail "$1: the editor is gone"
  kill "$APP_PID"
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}
running() { kill -0 "$APP_PID" 2>/dev/null; }
exited() { ! running; }

focus() { xdotool windowfocus --sync "$1"; }
key() { xdotool key --delay 30 "$@"; }
typetext() { xdotool type --delay 30 "$1"; }

# The window's top-left corner on the screen.
window_origin() {
  eval "$(xdotool getwindowgeometry --shell "$1")"
  echo "$X $Y"
}

# The colour at screen pixel (x, y) as "r,g,b".
pixel() {
  import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n '2s/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1,\2,\3/p'
}

# The y of the editor's client area in screen pixels: the first row below the
# menu bar that shows the header strip's colour.
# click_client keeps it in CLIENT_TOP: the main window does not move.
CLIENT_TOP=""
client_top() {
  [ -z "$CLIENT_TOP" ] || { echo "$CLIENT_TOP"; return; }
  read -r ox oy < <(window_origin "$MAIN")
  local y
  for y in $(seq "$oy" $((oy + 60))); do
    [ "$(pixel $((ox + 300)) "$y")" = "141,143,171" ] && { echo "$y"; return; }
  done
  fail "header strip not found"
}

# Clicks at (x, y) of the editor's client area.
click_client() {
  read -r ox _ < <(window_origin "$MAIN")
  [ -n "$CLIENT_TOP" ] || CLIENT_TOP=$(client_top)
  xdotool mousemove $((ox + $1)) $((CLIENT_TOP + $2)) click 1
}

hex_of() { od -An -v -tx1 "$1" | tr -d ' \n'; }
file_is() { [ "$(hex_of "$1")" = "$2" ]; }

# The id of the visible window titled NAME, once it has appeared.
await_window() {
  wait_for "the window \"$1\"" 20 has_window "$1"
  window_named "$1"
}

# Waits until the window titled NAME is gone.
no_window() { ! has_window "$1"; }
await_gone() { wait_for "the window \"$1\" to close" 20 no_window "$1"; }

# Waits until WINDOW has the keyboard focus, which the program itself must give it.
has_focus() { [ "$(xdotool getwindowfocus)" = "$1" ]; }
await_focus() { wait_for "the keyboard focus on $2" 10 has_focus "$1"; }

# Clicks at (x, y) inside WINDOW, in its own coordinates.
click_in() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# Chooses PATH in the open file dialog titled TITLE: the file name box has the
# focus when the dialog opens, and Enter accepts.
choose_file() {
  local dialog; dialog=$(await_window "$1")
  await_focus "$dialog" "the file dialog"
  key ctrl+a
  typetext "$2"
  key Return
  await_gone "$1"
}

clipboard() { xclip -o -selection clipboard; }

# open_find: F2 opens the Find window, which takes the keyboard with the text box
# focused (its id in FIND); close_find: Escape closes it and the main window has
# the keyboard again.
open_find() {
  key F2
  FIND=$(await_window "Find")
  await_focus "$FIND" "the Find window"
}
close_find() {
  key Escape
  await_gone "Find"
  await_focus "$MAIN" "the main window"
}

# How many pixels of colour "r,g,b" the W x H area at (x, y) of the editor's
# client area holds.
count_colour() {
  read -r ox _ < <(window_origin "$MAIN")
  local top; top=$(client_top)
  import -window root -crop "${3}x${4}+$((ox + $1))+$((top + $2))" -depth 8 txt:- 2>/dev/null |
    grep -c "srgb($5)" || true
}

# await_message WHAT: a message box or question is up and has the keyboard (its
# text is the logic tests' matter); answer_message KEY answers it.
await_message() {
  BOX=$(await_window "$MSG_TITLE")
  await_focus "$BOX" "$1"
}
answer_message() {
  key "$1"
  await_gone "$MSG_TITLE"
}

# open_copy: F4 opens "Copy" with the keyboard (its id in COPY); set_box X Y TEXT
# replaces the text of the box at (X, Y) in it; copy_to_clip presses "Copy To Clip",
# which closes the window and gives the keyboard back.
open_copy() {
  key F4
  COPY=$(await_window "Copy")
  await_focus "$COPY" "the Copy window"
}
set_box() {
  click_in "$COPY" "$1" "$2"
  key ctrl+a BackSpace
  [ -z "$3" ] || typetext "$3"
}
copy_to_clip() {
  click_in "$COPY" 220 140
  await_gone "Copy"
  await_focus "$MAIN" "the main window"
}
# The clipboard holds exactly TEXT, compared byte for byte.
clipboard_is() { [ "$(clipboard | od -An -v -tx1 | tr -d ' \n')" = "$(printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n')" ]; }
