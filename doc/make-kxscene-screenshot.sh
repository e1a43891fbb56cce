#!/bin/bash
# Makes doc/kxscene.png: the scene maker on a virtual X server with a generated lake photo,
# the lake painted with a few brush strokes by xdotool. Needs Xvfb, ImageMagick and xdotool.
# Usage: doc/make-kxscene-screenshot.sh [BUILD_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Sky, hills and a lake with a lighter band, 960 x 540.
convert -size 960x270 gradient:'#7fb2e5-#dbe9f5' \
  \( -size 960x110 gradient:'#4f7d3a-#2f5a25' \) \
  \( -size 960x160 gradient:'#3a6d9c-#1c3d63' \) -append "$work/lake.jpg"
cat > "$work/run.sh" <<SCRIPT
set -e
SDL_AUDIODRIVER=dummy "$build/bin/kxscene" "$work/lake.jpg" &
pid=\$!
sleep 4
xdotool search --sync --name kxscene windowactivate --sync windowmove 0 0 windowsize 1280 720 || true
sleep 1
# Brush strokes over the lake, in the canvas on the left.
for y in 520 545 570 595 620 645; do
  xdotool mousemove 40 \$y mousedown 1
  for x in 120 240 360 480 600 700; do xdotool mousemove \$x \$y; done
  xdotool mouseup 1
done
sleep 2
import -window root "$here/kxscene.png"
kill \$pid
SCRIPT
xvfb-run -a -s "-screen 0 1280x720x24" bash "$work/run.sh"
echo "written $here/kxscene.png"
