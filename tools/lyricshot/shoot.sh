#!/bin/sh
# Takes docs/lyric-<skin>-<mode>.png: the lyric window in both skins and both
# display modes while a song of the service stand-in plays, on a virtual X
# server with a compositing manager (Xvfb, xcompmgr, imagemagick).
#   tools/lyricshot/shoot.sh <build folder> [display] [port]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build folder}
port=${3:-18116}
. "$root/tools/scripts/screen.sh"
screen_start "${2:-:16}" 640x420
for skin in Skin2 Skin; do
  for mode in vertical horizontal; do
    screen_run "$build/lyricshot.out" "$build/bin/lyricshot" "$root/data" "$skin" "$mode" 20001 4 "$port"
    screen_shoot "$build/lyricshot.out" "$root/docs/lyric-$(echo "$skin" | tr 'A-Z' 'a-z')-$mode.png"
  done
done
