#!/bin/bash
# Takes docs/panel-<skin>.png: the my-music panel docked under the player, in
# each of its pages, in both skins. Runs the real program against a service
# stand-in of its own on a virtual X server with a compositing manager and
# drives it with xdotool as a user would: the play list, the recommendations
# while they load and once they came, the sign-in form, the album tree, the
# no-album page after deleting every album, and the empty play list after
# clearing it (Xvfb, xcompmgr, xdotool, imagemagick).
#   tools/panelshot/shoot.sh <build folder> [display] [port]
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
port=${3:-18118}
bin="$build/bin"
. "$root/tools/scripts/screen.sh"
screen_start "${2:-:18}" 1024x768
work=$(mktemp -d)
standin=
stop_all() {
  [ -n "$standin" ] && kill "$standin" 2>/dev/null || true
  rm -f "$bin/TonvikMusic.ini" "$bin/Playlist.xls" "$bin/recommend.xml"
  kill $screen_compositor $screen_xvfb 2>/dev/null || true
  rm -rf "$work"
}
trap stop_all EXIT
export DISPLAY=$screen_display HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
host="127.0.0.1:$port"

# rect <skin> <section>: "x y width height" of a section of the skin.
rect() {
  awk -v want="[$2]" 'BEGIN { RS = "\r?\n" }
    /^\[/ { inside = ($0 == want) }
    inside && /^PosX=/ { x = substr($0, 6) } inside && /^PosY=/ { y = substr($0, 6) }
    inside && /^Windth=/ { w = substr($0, 8) } inside && /^Height=/ { h = substr($0, 8) }
    END { print x, y, w, h }' "$bin/$1/Skin.ini"
}
# click <skin> <section>: a left click in the middle of a control of the panel.
click() {
  read -r x y w h < <(rect "$1" "$2")
  xdotool mousemove "$((panel_x + x + w / 2))" "$((panel_y + y + h / 2))" click 1
  sleep "${3:-1.5}"
}
# shot <name>: the player and the panel with a margin.
shot() {
  local player left right
  player=$(xdotool search --name '^Tonvik Player$' | head -1)
  eval "$(xdotool getwindowgeometry --shell "$player" | sed 's/^/p_/')"
  left=$((p_X < panel_x ? p_X : panel_x))
  right=$((p_X + p_WIDTH > panel_x + panel_w ? p_X + p_WIDTH : panel_x + panel_w))
  import -window root -crop "$((right - left + 40))x$((panel_y + panel_h - p_Y + 40))+$((left - 20))+$((p_Y - 20))" \
    "$work/$1.png"
}

for skin in Skin2 Skin; do
  kind=$([ "$skin" = Skin2 ] && echo 2 || echo 1)
  printf '[Hosts]\r\nService=%s\r\nLogin=%s\r\nComment=%s\r\nLyricSearch=%s\r\n[SKIN]\r\nKind=%s\r\n' \
    "$host" "$host" "$host" "$host" "$kind" > "$bin/TonvikMusic.ini"
  rm -f "$bin/recommend.xml"
  # Fourteen songs of the stand-in's catalogue in the play list.
  "$root/tools/scripts/playlist.sh" "$root/tools/standin/data/catalogue.txt" 14 > "$bin/Playlist.xls"
  rm -rf "$work/state" && mkdir -p "$work/state"
  "$bin/tonvik-standin" --port "$port" --state "$work/state" > "$work/standin.log" 2>&1 &
  standin=$!
  sleep 1
  # The recommendations take their time, so that the busy page shows.
  curl -s "http://$host/_standin/fault?path=/songhall/port/tonvik/recommend_song.php&kind=none&delay=5000" >/dev/null

  ASAN_OPTIONS=detect_leaks=0 "$bin/TonvikMusic" > "$work/player.log" 2>&1 &
  program=$!
  for _ in $(seq 1 100); do xdotool search --name 'Tonvik音乐--管理' >/dev/null 2>&1 && break; sleep 0.2; done
  sleep 4
  window=$(xdotool search --name 'Tonvik音乐--管理' | head -1)
  eval "$(xdotool getwindowgeometry --shell "$window" | sed 's/^/q_/')"
  panel_x=$q_X panel_y=$q_Y panel_w=$q_WIDTH panel_h=$q_HEIGHT
  shot 1-playlist
  click "$skin" Btn101 0.8; shot 2-loading
  sleep 6; shot 3-recommend
  click "$skin" Btn102; shot 4-signin
  click "$skin" Edit100 0.3; xdotool type --delay 40 tester
  click "$skin" Edit101 0.3; xdotool type --delay 40 secret123
  click "$skin" Btn109 3
  # The first album opened, its second song selected.
  read -r lx ly _ _ < <(rect "$skin" List102)
  xdotool mousemove "$((panel_x + lx + 60))" "$((panel_y + ly + 10))" click 1 key Right
  sleep 0.5
  xdotool mousemove "$((panel_x + lx + 60))" "$((panel_y + ly + 50))" click 1
  sleep 1; shot 5-albums
  # Every album deleted with the Delete key: the no-album page.
  for _ in 1 2 3; do
    xdotool mousemove "$((panel_x + lx + 60))" "$((panel_y + ly + 10))" click 1 key Delete
    sleep 2
  done
  shot 6-noalbum
  # The play list emptied through the delete button's menu.
  click "$skin" Btn100
  click "$skin" Btn105 1
  xdotool key Down Down Down Return; sleep 1.5
  xdotool key Return; sleep 1.5
  shot 7-emptylist

  "$bin/TonvikClose" || kill "$program"
  wait "$program" 2>/dev/null || true
  kill "$standin"; wait "$standin" 2>/dev/null || true; standin=
  lower=$(echo "$skin" | tr 'A-Z' 'a-z')
  montage "$work"/[1-7]-*.png -tile 4x2 -geometry +6+6 -background '#808080' "$root/docs/panel-$lower.png"
  rm -f "$work"/[1-7]-*.png
done
echo "docs/panel-skin2.png, docs/panel-skin.png"
