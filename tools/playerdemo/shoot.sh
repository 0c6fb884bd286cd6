#!/bin/sh
# Takes the player screenshots in docs/: both skins, normal and mini, and
# the vertical mini skin of "Skin2", each playing a stand-in song with the
# title rolling and the time moving. Runs playerdemo on a virtual X server
# with a compositing manager, so that the "Skin2" shadow shows
# (Xvfb, xcompmgr, imagemagick).
#   tools/playerdemo/shoot.sh <build folder> [display number]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build folder}
display=:${2:-58}
. "$root/tools/scripts/composited-display.sh"
start_composited_display $display 1024x640x24
runtime=$(mktemp -d)
trap 'stop_composited_display; rm -rf "$runtime"' EXIT

# name, options, width and height of the window (it sits at 240, 110)
shoot() {
  name=$1; options=$2; width=$3; height=$4
  out="$runtime/$name.out"
  # The system D-Bus library keeps a buffer to the end; the leak check of a
  # sanitised build would fail the run for it.
  DISPLAY=$display XDG_RUNTIME_DIR=$runtime QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
    "$build/bin/playerdemo" --backdrop --settle 4 --seconds 3 $options > "$out" 2>&1 &
  demo=$!
  for _ in $(seq 1 100); do
    grep -q ready "$out" 2>/dev/null && break
    sleep 0.2
  done
  DISPLAY=$display import -window root -crop "$((width + 48))x$((height + 48))+216+86" "$root/docs/$name.png"
  wait $demo
}

shoot player-skin2 "--skin Skin2" 433 166
shoot player-skin2-mini "--skin Skin2 --mini" 320 46
shoot player-skin2-mini2 "--skin Skin2 --mini --vertical" 100 150
shoot player-skin "--skin Skin" 433 166
shoot player-skin-mini "--skin Skin --mini" 300 46
