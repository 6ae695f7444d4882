# A seeded random session in the real window: a few thousand keys and clicks
# across every window (Jump To, Find, Find Again, Copy, Insert, the table editor,
# message boxes, the menus and the file choosers). It fails on a sanitizer report,
# a crash, or an editor that stops answering or painting. SEED=n repeats a session,
# STEPS=n changes its length.
#
# It never writes outside its temporary folder: the document is a copy there, HOME
# and the cache point there, and every file chooser is answered with Escape. The
# random keys never include Escape, Alt or the Ctrl shortcuts that open a chooser
# or exit (Ctrl+O, Ctrl+A, Ctrl+E); Escape is sent only once the editor has handled
# all earlier input and a window other than the main one has the keyboard, since
# in the main window it opens the File menu.
. "$(dirname "$0")/lib.sh"
SEED=${SEED:-20240611}
STEPS=${STEPS:-500}
TIME_LIMIT=60  # seconds of random steps; the test's own timeout is 90 s
RANDOM=$SEED
echo "seed $SEED, $STEPS steps"

EXAMPLES=$(cd "$(dirname "$0")/../../examples" && pwd)
examples_sum() { cat "$EXAMPLES"/* | md5sum; }
EXAMPLES_BEFORE=$(examples_sum)
mkdir -p "$WORK/home" "$WORK/cache"
export HOME=$WORK/home XDG_CACHE_HOME=$WORK/cache XDG_CONFIG_HOME=$WORK/home/.config
cp "$EXAMPLES/quest.bin" "$EXAMPLES/quest.tbl" "$WORK/"
cd "$WORK"
LOG=$WORK/app.log
step=0
# A failure names the seed and step to repeat it, and shows the editor's last words.
fail() {
  echo "FAIL: $* (seed $SEED, step $step)" >&2
  [ -f "$LOG" ] && tail -n 40 "$LOG" >&2
  exit 1
}

start_app "$WORK/quest.bin" 2>"$LOG"
read -r OX OY < <(window_origin "$MAIN")
CLIENT_TOP=$(client_top)
CLIENT_H=$((OY + 470 - CLIENT_TOP))

alive() { kill -0 "$APP_PID" 2>/dev/null || fail "the editor is gone"; }
sanitizer_clean() { ! grep -qE "ERROR: (Address|Leak)Sanitizer|runtime error:" "$LOG" || fail "sanitizer report"; }

# Waits until the editor's main thread has handled all input: asleep, with no
# CPU time spent, three samples in a row. Bounded: busy for 20 s fails.
settle() {
  local deadline=$((SECONDS + 20)) prev="" now quiet=0 f
  while [ $SECONDS -lt $deadline ]; do
    alive
    read -r -a f < "/proc/$APP_PID/task/$APP_PID/stat" || fail "cannot read the editor's state"
    now="${f[2]} ${f[13]} ${f[14]}"
    if [ "${f[2]}" = S ] && [ "$now" = "$prev" ]; then
      quiet=$((quiet + 1))
      [ $quiet -ge 2 ] && return 0
    else
      quiet=0
    fi
    prev=$now
    sleep 0.02
  done
  fail "the editor stayed busy for 20 s"
}

focused_name() { xdotool getwindowfocus getwindowname 2>/dev/null || true; }

# Which kind of window has the keyboard.
context() {
  case "$(focused_name)" in
    "$MAIN_TITLE") echo main ;;
    "File To Edit" | "Tarpon's Hex - Save File as" | "Open Table" | "Tarpon's Hex - Save Table as") echo chooser ;;
    "Edit Table"*) echo table ;;
    "Tarpon's Hex") echo message ;;
    Find | "Jump To" | Copy | Insert) echo dialog ;;
    *) echo other ;;
  esac
}

# The editor's visible windows other than the main one, menus included.
other_windows() {
  local id
  for id in $(xdotool search --onlyvisible --class tarpon-hex 2>/dev/null); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = "$MAIN_TITLE" ] || echo "$id"
  done
  return 0
}

# Keys that are harmless in every window: none opens a chooser or a menu, or exits.
SAFE=(0 1 2 3 4 5 6 7 8 9 a b c d e f g h k m n p r s t u w x y z
  A B E Q Z space minus period comma BackSpace Delete Return Tab shift+Tab
  Left Right Up Down Prior Next Home End shift+Left shift+Right shift+Up shift+Down
  Control_L)
# The main window's keys for its windows and commands: Jump To, Find, Find Again,
# Copy, the table editor, Insert, Save, Multi Letters, Undo, Redo.
WINDOW_KEYS=(F1 F2 F3 F4 F12 Insert ctrl+s ctrl+d ctrl+z ctrl+y ctrl+shift+z)
COUNT=0  # keys and clicks sent

random_keys() {
  local n=$((1 + RANDOM % 20)) keys=() i
  for ((i = 0; i < n; i++)); do keys+=("${SAFE[RANDOM % ${#SAFE[@]}]}"); done
  xdotool key --delay 5 "${keys[@]}"
  COUNT=$((COUNT + n))
}

window_key() {
  key "${WINDOW_KEYS[RANDOM % ${#WINDOW_KEYS[@]}]}"
  COUNT=$((COUNT + 1))
}

# Closes the window that has the keyboard: Escape, once the editor has handled
# all input and it is not the main window.
close_one() {
  settle
  case "$(context)" in
    table) [ $((RANDOM % 2)) = 0 ] && { click_in "$(xdotool getwindowfocus)" 48 336; settle; }
      key Escape ;;
    dialog) [ "$(focused_name)" = Copy ] && [ $((RANDOM % 2)) = 0 ] && { click_in "$(xdotool getwindowfocus)" 190 24; settle; }
      key Escape ;;
    message | chooser) key Escape ;;
  esac
  COUNT=$((COUNT + 1))
}

# A click, drag or wheel turn somewhere in the window that has the keyboard
# (below the menu bar in the main window). Another window may have come up over
# the main window meanwhile, which is harmless; a click meant for another window
# waits until the editor has handled all input, as the main window's menu bar
# may lie below it.
random_click() {
  local x y w h X Y WIDTH HEIGHT
  case "$(context)" in
    main) x=$((OX + RANDOM % 625)); y=$((CLIENT_TOP + RANDOM % CLIENT_H)); w=625; h=$CLIENT_H ;;
    dialog | table | message)
      settle
      local geometry; geometry=$(xdotool getwindowfocus getwindowgeometry --shell 2>/dev/null) || return 0
      eval "$geometry"
      [ -n "${WIDTH:-}" ] && [ "$(context)" != main ] || return 0
      x=$((X + RANDOM % WIDTH)); y=$((Y + RANDOM % HEIGHT)); w=$WIDTH; h=$HEIGHT ;;
    *) return 0 ;;
  esac
  local x2=$((x - w / 4 + RANDOM % (w / 2))) y2=$((y - h / 4 + RANDOM % (h / 2)))
  case $((RANDOM % 6)) in
    0) xdotool mousemove "$x" "$y" mousedown 1 mousemove $((x2 < 0 ? 0 : x2)) $((y2 < 0 ? 0 : y2)) mouseup 1 ;;
    1) xdotool mousemove "$x" "$y" click $((4 + RANDOM % 2)) ;;
    *) xdotool mousemove "$x" "$y" click 1 ;;
  esac
  COUNT=$((COUNT + 1))
}

# Opens a file chooser and answers it with Escape. Open first asks about unsaved
# changes; Escape answers that too (Cancel), and no chooser follows.
chooser() {
  local title
  case $((RANDOM % 4)) in
    0) key ctrl+o; title="File To Edit" ;;
    1) key ctrl+a; title="Tarpon's Hex - Save File as" ;;
    2) key alt+t s; title="Tarpon's Hex - Save Table as" ;;
    3) key alt+t l; title="Open Table" ;;
  esac
  COUNT=$((COUNT + 1))
  wait_for "the chooser \"$title\"" 20 has_window_either "$title" "$MSG_TITLE"
  local dialog; dialog=$(window_named "$title" || true)
  [ -n "$dialog" ] || dialog=$(window_named "$MSG_TITLE")
  await_focus "$dialog" "the chooser \"$title\""
  settle
  key Escape
  wait_for "the chooser to close" 20 no_window "$title"
  close_menus
}
MSG_TITLE="Tarpon's Hex"
has_window_either() { has_window "$1" || has_window "$2"; }

# A menu, by keyboard or mouse, and one of its harmless items or none.
menu() {
  case $((RANDOM % 11)) in
    0) key alt+o j ;;                       # Jump To
    1) key alt+o f ;;                       # Find
    2) key alt+o a ;;                       # Find Again
    3) key alt+t c ;;                       # Create Table...
    4) key alt+t m ;;                       # Multi Letters
    5) xdotool mousemove $((OX + 92)) $((OY + 8)) click 1; settle; key Down Down Down ;;  # Option, looked through
    6) xdotool mousemove $((OX + 18)) $((OY + 8)) click 1 ;;   # File, looked at
    7) key alt+f s ;;                       # Save
    8) key alt+e u ;;                       # Undo
    9) key alt+e r ;;                       # Redo
    10) xdotool mousemove $((OX + 52)) $((OY + 8)) click 1 ;;  # Edit, looked at
  esac
  COUNT=$((COUNT + 2))
  close_menus
}

# Closes open menus (popups, named after the program) with Escape. A menu closed
# by Escape leaves the menu bar with the keyboard, where a letter would open a
# menu again; a click in the hex pane takes the keyboard back.
popups() {
  local id name
  for id in $(xdotool search --onlyvisible --class tarpon-hex 2>/dev/null); do
    name=$(xdotool getwindowname "$id" 2>/dev/null || true)
    [ "$name" = tarpon-hex ] || [ -z "$name" ] && echo "$id"
  done
  return 0
}
close_menus() {
  local tries=0
  settle
  while [ -n "$(popups)" ]; do
    [ $tries -lt 5 ] || fail "a menu stays open"
    key Escape
    settle
    tries=$((tries + 1))
  done
  if [ "$(context)" = main ]; then
    xdotool mousemove $((OX + 150)) $((CLIENT_TOP + 40)) click 1
    settle
  fi
}

# Closes whatever has the keyboard until the main window has it and no other
# window is open.
back_to_main() {
  local tries=0 others
  while [ $tries -lt 30 ]; do
    close_menus
    case "$(context)" in
      main)
        others=$(other_windows | head -n1)
        [ -z "$others" ] && return 0
        xdotool windowfocus --sync "$others" 2>/dev/null || true ;;
      table) click_in "$(xdotool getwindowfocus)" 48 336; settle; key Escape ;;  # "A-Z" takes the focus off the grid
      # Escape in Copy's offset boxes is not for closing; a radio button takes the focus.
      dialog) [ "$(focused_name)" = Copy ] && { click_in "$(xdotool getwindowfocus)" 190 24; settle; }
        key Escape ;;
      message | chooser) key Escape ;;
      *) others=$(other_windows | tail -n1)
         xdotool windowfocus --sync "${others:-$MAIN}" 2>/dev/null || true ;;
    esac
    tries=$((tries + 1))
  done
  fail "cannot get back to the main window (focus on \"$(focused_name)\")"
}

# The editor answers and paints: F1 brings up Jump To, and the header strip has
# its colour.
check_answers() {
  back_to_main
  key F1
  local jump; jump=$(await_window "Jump To")
  await_focus "$jump" "Jump To"
  settle
  key Escape
  await_gone "Jump To"
  [ "$(pixel $((OX + 300)) "$CLIENT_TOP")" = "141,143,171" ] || fail "the main window is not painted"
  sanitizer_clean
}

# The table, chosen once, so that the text pane and the table editor show letters.
key alt+t l
choose_file "Open Table" "$WORK/quest.tbl"

while [ $step -lt "$STEPS" ] && [ $SECONDS -lt $TIME_LIMIT ]; do
  step=$((step + 1))
  r=$((RANDOM % 100))
  case "$(context)" in
    main)
      if [ $r -lt 66 ]; then random_keys
      elif [ $r -lt 76 ]; then window_key
      elif [ $r -lt 88 ]; then random_click
      elif [ $r -lt 96 ]; then settle; [ -z "$(other_windows)" ] && [ "$(context)" = main ] && menu
      else settle; [ -z "$(other_windows)" ] && [ "$(context)" = main ] && chooser
      fi ;;
    dialog | table | message)
      if [ $r -lt 55 ]; then random_keys
      elif [ $r -lt 75 ]; then random_click
      else close_one
      fi ;;
    chooser) close_one ;;
    *) back_to_main ;;
  esac
  [ $((step % 125)) = 0 ] && { check_answers; echo "step $step: $COUNT keys and clicks, $SECONDS s"; }
done
check_answers
echo "$step steps, $COUNT keys and clicks in $SECONDS s"

# Exit through the menu's shortcut, saving the changes when asked (Enter): the
# exit status carries any leak report.
key ctrl+e
gone() { ! kill -0 "$APP_PID" 2>/dev/null; }
wait_for "the editor to exit or ask" 20 bash -c "! kill -0 $APP_PID 2>/dev/null || xdotool search --onlyvisible --name \"^$MSG_TITLE\$\""
if ! gone; then
  await_focus "$(window_named "$MSG_TITLE")" "the question about unsaved changes"
  key Return
fi
wait_for "the editor to exit" 20 gone
status=0
wait "$APP_PID" || status=$?
APP_PID=""
sanitizer_clean
[ "$status" = 0 ] || fail "the editor exited with status $status"
[ "$(examples_sum)" = "$EXAMPLES_BEFORE" ] || fail "a file outside the temporary folder changed"
echo PASS
