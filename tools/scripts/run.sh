#!/usr/bin/env bash
# Builds the player and runs it. Without a display it runs under a virtual
# X server, takes a screenshot (build/screenshot.png) and stops.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/scripts/deps.sh
tonvik_install_deps

cmake --preset release
cmake --build --preset release
bin=build/release/bin

if [ -n "${DISPLAY:-}" ]; then
  exec "$bin/TonvikMusic"
fi

display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  if xdpyinfo -display "$display" >/dev/null 2>&1; then break; fi
  sleep 0.1
done
export DISPLAY=$display

"$bin/TonvikMusic" &
player=$!
sleep 4
import -window root build/screenshot.png
echo "Screenshot: build/screenshot.png"
if kill -0 "$player" 2>/dev/null; then
  kill "$player"
  wait "$player" || true
else
  wait "$player" && echo "TonvikMusic ran and exited cleanly."
fi
