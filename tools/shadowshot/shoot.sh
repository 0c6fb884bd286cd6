#!/bin/sh
# Takes docs/shadow.png: the second skin's player window with its shadow on
# a virtual X server with a compositing manager (Xvfb, xcompmgr, imagemagick).
#   tools/shadowshot/shoot.sh <build folder> [display]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build folder}
. "$root/tools/scripts/screen.sh"
screen_start "${2:-:57}" 640x360
screen_run "$build/shadowshot.out" "$build/bin/shadowshot" "$root/data/Skin2" 6
screen_shoot "$build/shadowshot.out" "$root/docs/shadow.png"
