#!/bin/sh
# Takes docs/library-skin2.png and docs/library-skin.png: the library pane in
# each shipped skin with the stand-in's recommendation page, on a virtual X
# server with a compositing manager (Xvfb, xcompmgr, imagemagick).
#   tools/libraryshot/shoot.sh <build folder> [display]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build folder}
. "$root/tools/scripts/screen.sh"
screen_start "${2:-:58}" 640x500
for skin in Skin2 Skin; do
  out="$build/libraryshot-$skin.out"
  name=$(echo "$skin" | tr 'A-Z' 'a-z')
  screen_run "$out" "$build/bin/libraryshot" "$build/bin" "$skin" 30
  screen_shoot "$out" "$root/docs/library-$name.png" stop
done
