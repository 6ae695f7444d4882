# Escape in the hex pane opens the File menu; Enter on "&Open..." is harmless
# when disabled, and the menu shows "&Exit" which Ctrl+E also runs.
. "$(dirname "$0")/lib.sh"
start_app
SHOT=$WORK/menu.png
read -r ox oy < <(window_origin "$MAIN")
key Escape
# The open menu is a new visible popup window.
wait_for "the File menu" 10 bash -c "[ \$(xdotool search --onlyvisible --class tarpon-hex | wc -l) -ge 2 ]"
key Escape Escape
key ctrl+e
wait_for "the program to exit" 10 bash -c "! kill -0 $APP_PID"
APP_PID=""
echo PASS
