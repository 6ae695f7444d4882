#!/usr/bin/env bash
# Remakes the README's pictures in docs/ from the real editor, by running the
# end-to-end walkthrough under Xvfb with SHOTS set. Build first (scripts/build.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
mkdir -p docs
BIN=$PWD/build/tarpon-hex SHOTS=$PWD/docs \
  xvfb-run -a -s "-screen 0 1024x768x24" timeout 90 bash tests/e2e/walkthrough.sh

# The same editor under a dark theme with a 16-point desktop font (qt6ct's "darker"
# colours, Fusion), with the Find window open: docs/dark-large-font.png.
if [ -f /usr/share/qt6ct/colors/darker.conf ]; then
  theme=$(mktemp -d)
  trap 'rm -rf "$theme"' EXIT
  mkdir -p "$theme/qt6ct"
  cat > "$theme/qt6ct/qt6ct.conf" <<'CONF'
[Appearance]
color_scheme_path=/usr/share/qt6ct/colors/darker.conf
custom_palette=true
style=Fusion

[Fonts]
fixed="Liberation Mono,16,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"
general="Liberation Sans,16,-1,5,400,0,0,0,0,0,0,0,0,0,0,1"
CONF
  XDG_CONFIG_HOME=$theme QT_QPA_PLATFORMTHEME=qt6ct QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1024x768x24" timeout 60 bash -c '
      build/tarpon-hex --table examples/quest.tbl examples/quest.bin & pid=$!
      for _ in $(seq 100); do main=$(xdotool search --onlyvisible --name "^Tarpon" | head -n1); [ -n "$main" ] && break; sleep 0.1; done
      xdotool windowfocus --sync "$main" && sleep 0.5 && xdotool key F2 && sleep 1
      import -window root -crop 680x480+0+0 +repage docs/dark-large-font.png
      kill $pid'
else
  echo "qt6ct is not installed: docs/dark-large-font.png is left as it is" >&2
fi
BIN=$PWD/build/tarpon-hex SHOTS=$PWD/docs \
  xvfb-run -a -s "-screen 0 1024x768x24" timeout 90 bash tests/e2e/find_encoding.sh
