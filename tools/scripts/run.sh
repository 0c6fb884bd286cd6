#!/usr/bin/env bash
# Builds the player and runs it against the bundled service stand-in
# (tonvik-standin on 127.0.0.1:18080, the default host of every service
# setting). With a display the player stays up (its main frame is hidden)
# until build/release/bin/TonvikClose or a signal ends it. Without a display
# it runs under a virtual X server, takes a screenshot (build/screenshot.png)
# and is closed in order with TonvikClose.
set -euo pipefail
cd "$(dirname "$0")/../.."
source tools/scripts/deps.sh
tonvik_install_deps

cmake --preset release
cmake --build --preset release
bin=build/release/bin
# A private runtime folder for the player's locks and sockets when the
# session has none (root in a container, for instance).
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi

# The service stand-in; albums are kept in build/standin-state between runs.
standin_log=build/standin.log
"$bin/tonvik-standin" --port 18080 --state build/standin-state >"$standin_log" 2>&1 &
standin=$!
cleanup() {
  kill "$standin" 2>/dev/null || true
  if [ -n "${screen_compositor:-}" ]; then kill "$screen_compositor" 2>/dev/null || true; fi
  if [ -n "${xvfb:-}" ]; then kill "$xvfb" 2>/dev/null || true; fi
}
trap cleanup EXIT
for _ in $(seq 50); do
  if grep -q listening "$standin_log" 2>/dev/null || ! kill -0 "$standin" 2>/dev/null; then break; fi
  sleep 0.1
done
if kill -0 "$standin" 2>/dev/null; then
  echo "Service stand-in: $(grep listening "$standin_log")"
else
  echo "The service stand-in did not start (port 18080 in use?): $(cat "$standin_log")"
fi

if [ -n "${DISPLAY:-}" ]; then
  "$bin/TonvikMusic"
  exit $?
fi

# A virtual screen with a compositing manager, as a desktop would have.
source tools/scripts/screen.sh
screen_start ":$((90 + RANDOM % 9))" 1024x768
xvfb=$screen_xvfb
trap cleanup EXIT
export DISPLAY=$screen_display

"$bin/TonvikMusic" &
player=$!
# The shot once the panel is docked under the player and has asked the
# stand-in for its page strip (30 s at most), and the page had time to show.
for _ in $(seq 300); do
  if xdotool search --onlyvisible --name '^Tonvik音乐--管理$' >/dev/null 2>&1 &&
     curl -s http://127.0.0.1:18080/_standin/log | grep -q 'ad\.html'; then break; fi
  if ! kill -0 "$player" 2>/dev/null; then break; fi
  sleep 0.1
done
sleep 2
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
