#!/bin/sh
# Takes the player screenshots in docs/: both skins, normal and mini, and
# the vertical mini skin of "Skin2", each playing a stand-in song with the
# title rolling and the time moving. Runs playerdemo on a virtual X server
# with a compositing manager, so that the "Skin2" shadow shows
# (Xvfb, xcompmgr, imagemagick).
#   tools/playerdemo/shoot.sh <build folder> [display]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build folder}
. "$root/tools/scripts/screen.sh"
screen_start "${2:-:58}" 1024x640
runtime=$(mktemp -d)
trap 'kill $screen_compositor $screen_xvfb 2>/dev/null || true; rm -rf "$runtime"' EXIT

# name, options, width and height of the window (it sits at 240, 110)
shoot() {
  name=$1; options=$2; width=$3; height=$4
  out="$runtime/$name.out"
  screen_crop="$((width + 48))x$((height + 48))+216+86"
  screen_run "$out" env XDG_RUNTIME_DIR="$runtime" \
    "$build/bin/playerdemo" --backdrop --settle 4 --seconds 3 $options
  screen_shoot "$out" "$root/docs/$name.png"
}

shoot player-skin2 "--skin Skin2" 433 166
shoot player-skin2-mini "--skin Skin2 --mini" 320 46
shoot player-skin2-mini2 "--skin Skin2 --mini --vertical" 100 150
shoot player-skin "--skin Skin" 433 166
shoot player-skin-mini "--skin Skin --mini" 300 46
