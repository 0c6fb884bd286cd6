#!/bin/sh
# Takes docs/shadow.png: the second skin's player window with its shadow on
# a virtual X server with a compositing manager (Xvfb, xcompmgr, imagemagick).
#   tools/shadowshot/shoot.sh <build folder> [display number]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build folder}
display=:${2:-57}
. "$root/tools/scripts/composited-display.sh"
start_composited_display $display 640x360x24
trap stop_composited_display EXIT
# The system D-Bus library keeps a buffer to the end; the leak check of a
# sanitised build would fail the run for it.
DISPLAY=$display QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 "$build/bin/shadowshot" "$root/data/Skin2" 6 > "$build/shadowshot.out" &
shot=$!
for _ in $(seq 1 50); do
  grep -q ready "$build/shadowshot.out" 2>/dev/null && break
  sleep 0.1
done
sleep 1
DISPLAY=$display import -window root "$root/docs/shadow.png"
wait $shot
