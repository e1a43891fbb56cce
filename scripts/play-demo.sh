#!/usr/bin/env bash
# Plays the demo screensaver.
#
#   scripts/play-demo.sh DEMO.scr OUTDIR
#
# With a display (DISPLAY or WAYLAND_DISPLAY set) the show runs full-screen on it until a key,
# a click or a mouse movement ends it. Without one it runs on a virtual display (Xvfb) for
# about KX_DEMO_SECONDS seconds (20 by default); screenshots of what was shown become the
# animated GIF OUTDIR/show.gif.
set -euo pipefail

scr=${1:?usage: play-demo.sh DEMO.scr OUTDIR}
out=${2:?usage: play-demo.sh DEMO.scr OUTDIR}
seconds=${KX_DEMO_SECONDS:-20}

record() {
  # Runs inside the virtual display: the show, screenshots as fast as they can be taken,
  # then a key that ends the show.
  local frames="$out/frames" runtime
  rm -rf "$frames"
  mkdir -p "$frames"
  runtime=$(mktemp -d)
  SDL_AUDIODRIVER=dummy XDG_RUNTIME_DIR="$runtime" "$scr" /S &
  local pid=$!
  local start=$SECONDS n=0
  while (( SECONDS - start < seconds )) && kill -0 "$pid" 2>/dev/null; do
    if import -window root -resize 50% -depth 8 "$frames/$(printf %05d "$n").png" 2>/dev/null; then
      n=$((n + 1))
    fi
  done
  local elapsed=$((SECONDS - start))
  xdotool key Escape 2>/dev/null || true
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  rm -rf "$runtime"
  if (( n == 0 )); then
    echo "play-demo: no screenshot could be taken" >&2
    return 1
  fi
  # Each frame stands for the time between two screenshots. All frames share one fixed
  # palette, reached by an ordered dither: fast, and unlike a palette chosen from the first
  # frame (black at the start) it keeps the colours of the later ones.
  local delay=$(( elapsed * 100 / n ))
  (( delay < 5 )) && delay=5
  # A black first screenshot is stored as a grey picture; without -type TrueColor the whole
  # sequence would be turned grey with it.
  convert -delay "$delay" -loop 0 "$frames"/*.png -colorspace sRGB -type TrueColor \
    -ordered-dither o4x4,6 +dither -remap netscape: -layers Optimize "$out/show.gif"
  rm -rf "$frames"
}

if [[ "${1:-}" == "--record" ]]; then
  shift
  scr=$1 out=$2 seconds=$3
  record
  exit
fi

scr=$(realpath "$scr")
mkdir -p "$out"
out=$(realpath "$out")

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Playing $scr full-screen. A key, a click or a mouse movement ends it."
  exec "$scr" /S
fi

for tool in xvfb-run import convert xdotool; do
  command -v "$tool" >/dev/null || { echo "play-demo: $tool is missing (make deps installs it)" >&2; exit 1; }
done
echo "No display: playing the demo on a virtual 1024x768 display for ${seconds} seconds..."
xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --record "$scr" "$out" "$seconds"
echo "What was shown: $out/show.gif"
