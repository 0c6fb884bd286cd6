#!/bin/bash
# The installed player in a Wayland session, on a headless compositor
# (weston's headless back end) against a service stand-in:
#  1. on Qt's Wayland platform (QT_QPA_PLATFORM=wayland, no X server): it
#     starts, shows the player as a top-level surface of its own desktop
#     name and no stray window (no shadow windows the compositor would put
#     anywhere), says so in its trace, and closes in order;
#  2. with an X server beside the compositor (XWayland's place taken by a
#     virtual X server) and no platform chosen: it runs on X11, its windows
#     on the X server and none on the compositor, and closes in order.
#   wayland_test.sh <build folder> <catalogue file>
set -euo pipefail
build=$1
catalogue=$2
source "$(dirname "$0")/session_support.sh"
require_tools "weston xvfb x11-utils" weston weston-debug Xvfb xwininfo
if ! ls /usr/lib/*/qt6/plugins/platforms/libqwayland-generic.so >/dev/null 2>&1; then
  echo "SKIP: Qt's Wayland platform is not installed (package qt6-wayland)"
  exit 77
fi

work=$(mktemp -d)
compositor= standin= player= xserver=
cleanup() {
  for process in $player $xserver $standin $compositor; do kill "$process" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/player.log" ] && tail -n 20 "$work/player.log"; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }
folder=$prefix/lib/tonvikmusic

user_folders "$catalogue" 2
trace=$XDG_CONFIG_HOME/Velora/TonvikMusic/trace.log

socket=tonvik-test-$$
weston --backend=headless-backend.so --socket="$socket" --idle-time=0 --debug >"$work/weston.log" 2>&1 &
compositor=$!
for _ in $(seq 1 100); do [ -S "$XDG_RUNTIME_DIR/$socket" ] && break; sleep 0.1; done
[ -S "$XDG_RUNTIME_DIR/$socket" ] || { cat "$work/weston.log"; fail "the compositor did not start"; }
# The compositor's top-level surfaces of the player: "'<title>'" per line.
surfaces() {
  WAYLAND_DISPLAY=$socket timeout 10 weston-debug scene-graph 2>/dev/null |
    sed -n "s/.*role xdg_toplevel.* top-level window \('.*'\) of com\.velora\.TonvikMusic.*/\1/p" | sort
}

start_standin "$build" "$folder"

# Starts the player with the environment given, and waits for its frame.
start_player() {
  rm -f "$trace"
  env "$@" "$prefix/bin/tonvikmusic" >"$work/player.log" 2>&1 &
  player=$!
  for _ in $(seq 1 300); do grep -qs "OnCreate MainFrame... --->Enter" "$trace" && break; sleep 0.1; done
  grep -qs "OnCreate MainFrame... --->Enter" "$trace" || fail "the player did not start ($*)"
}
# Closes it in order, as another start of the command asks.
close_player() {
  QT_QPA_PLATFORM=offscreen timeout 60 "$prefix/bin/tonvikmusic" --close || fail "--close"
  for _ in $(seq 1 200); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
  ! kill -0 "$player" 2>/dev/null || fail "the player did not end"
  wait "$player" || fail "the player ended with $?"
  player=
  grep -q "CloseApp" "$trace" || fail "no orderly close in the trace"
}

# 1. Qt's Wayland platform.
start_player QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland
# The player and the my-music panel show at the start.
for _ in $(seq 1 300); do
  surfaces >"$work/wayland-surfaces.txt"
  grep -qx "'Tonvik Player'" "$work/wayland-surfaces.txt" && grep -qx "'Tonvik音乐--管理'" "$work/wayland-surfaces.txt" && break
  sleep 0.1
done
grep -qx "'Tonvik Player'" "$work/wayland-surfaces.txt" || fail "no player surface: $(cat "$work/wayland-surfaces.txt")"
grep -qx "'Tonvik音乐--管理'" "$work/wayland-surfaces.txt" || fail "no panel surface: $(cat "$work/wayland-surfaces.txt")"
! grep -vx "'Tonvik Player'\|'Tonvik音乐--管理'" "$work/wayland-surfaces.txt" ||
  fail "stray windows on the compositor"
grep -q "main===Running on wayland: the desktop places the windows" "$trace" || fail "no trace of the platform"
close_player
echo "wayland: $(tr '\n' ' ' <"$work/wayland-surfaces.txt")"

# 2. A Wayland session with an X server.
Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$work/display" >/dev/null 2>&1 &
xserver=$!
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(cat "$work/display")
[ "$display" != : ] || fail "the X server did not start"
start_player WAYLAND_DISPLAY="$socket" XDG_SESSION_TYPE=wayland DISPLAY="$display"
grep -q "main===Wayland session with an X server: the windows run on xcb." "$trace" || fail "not on X11"
for _ in $(seq 1 300); do DISPLAY=$display xwininfo -root -tree | grep -q '"Tonvik Player"' && break; sleep 0.1; done
DISPLAY=$display xwininfo -root -tree | grep -q '"Tonvik Player"' || fail "no player window on the X server"
[ -z "$(surfaces)" ] || fail "windows on the compositor: $(surfaces)"
close_player
echo "PASS"
