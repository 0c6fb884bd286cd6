#!/bin/sh
# Takes docs/library-skin2.png and docs/library-skin.png: the library pane in
# each shipped skin with the stand-in's recommendation page, on a virtual X
# server with a compositing manager (Xvfb, xcompmgr, imagemagick).
#   tools/libraryshot/shoot.sh <build folder> [display]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build folder}
display=${2:-:58}
. "$root/tools/scripts/virtual-display.sh"
tonvik_virtual_display "$display" 640x500x24
for skin in Skin2 Skin; do
  out="$build/libraryshot-$skin.out"
  DISPLAY=$display QT_QPA_PLATFORM=xcb "$build/bin/libraryshot" "$build/bin" "$skin" 30 > "$out" 2>/dev/null &
  shot=$!
  for _ in $(seq 1 250); do
    grep -q ready "$out" 2>/dev/null && break
    sleep 0.1
  done
  name=$(echo "$skin" | tr 'A-Z' 'a-z')
  DISPLAY=$display import -window root "$root/docs/library-$name.png"
  kill "$shot" 2>/dev/null || true
  wait "$shot" 2>/dev/null || true
done
