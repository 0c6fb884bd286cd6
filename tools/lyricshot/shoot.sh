#!/bin/sh
# Takes docs/lyric-<skin>-<mode>.png: the lyric window in both skins and both
# display modes while a song of the service stand-in plays, on a virtual X
# server with a compositing manager (Xvfb, xcompmgr, imagemagick).
#   tools/lyricshot/shoot.sh <build folder> [display] [port]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:?build folder}
display=${2:-:16}
port=${3:-18116}
Xvfb $display -screen 0 640x420x24 +extension Composite >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
sleep 1
DISPLAY=$display xcompmgr >/dev/null 2>&1 &
compositor=$!
trap 'kill $compositor $xvfb 2>/dev/null || true' EXIT
sleep 1
for skin in Skin2 Skin; do
  for mode in vertical horizontal; do
    out="$build/lyricshot.out"
    # The system D-Bus library keeps a buffer to the end; the leak check of
    # a sanitised build would fail the run for it.
    DISPLAY=$display QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 \
      "$build/bin/lyricshot" "$root/data" "$skin" "$mode" 20001 5 "$port" > "$out" &
    shot=$!
    for _ in $(seq 1 300); do
      grep -q ready "$out" 2>/dev/null && break
      sleep 0.1
    done
    name=$(echo "$skin" | tr 'A-Z' 'a-z')
    DISPLAY=$display import -window root "$root/docs/lyric-$name-$mode.png"
    wait $shot
  done
done
