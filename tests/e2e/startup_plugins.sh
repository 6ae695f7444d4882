# Start-up loads no image-format or icon-engine plugin, nor QtSvg: the window icon
# and the menu bar's overflow icon are read as the PNGs they are (the dynamic
# linker's own record of what it loaded, up to the shown main window).
. "$(dirname "$0")/lib.sh"

START_WITH="env LD_DEBUG=files LD_DEBUG_OUTPUT=$WORK/ld $BIN" start_app
stop_app "start-up"
cat "$WORK"/ld.* > "$WORK/loaded"
grep -q "libqxcb" "$WORK/loaded" || fail "the record names no platform plugin, so it shows nothing"
if grep -E "file=[^ ]*(imageformats|iconengines|libQt6Svg)" "$WORK/loaded" | grep -o "file=[^ ]*" | sort -u; then
  fail "start-up loaded the plugins above"
fi
echo "ok: no image-format or icon-engine plugin at start-up"
echo "PASS"
