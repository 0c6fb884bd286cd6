#!/usr/bin/env bash
# Builds the player and runs it. With a display the player stays up (its
# main frame is hidden) until build/release/bin/TonvikClose or a signal ends
# it. Without a display it runs under a virtual X server, takes a screenshot
# (build/screenshot.png) and is closed in order with TonvikClose.
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
if ! kill -0 "$player" 2>/dev/null; then
  status=0
  wait "$player" || status=$?
  echo "TonvikMusic ended by itself (exit code $status)."
  exit "$status"
fi
if ! "$bin/TonvikClose"; then
  echo "TonvikClose could not close the player; stopping it with a signal."
  kill "$player" 2>/dev/null || true
fi
status=0
wait "$player" || status=$?
echo "TonvikMusic closed (exit code $status)."
exit "$status"
