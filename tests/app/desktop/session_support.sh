# What the scripts of the installed player's tests share; sourced by them.
# They define fail() and keep their scratch folder in $work.

# require <package hint> <tool>...: the test is skipped (77) when a tool is
# missing.
require_tools() {
  local hint=$1 tool
  shift
  for tool in "$@"; do
    if ! command -v "$tool" >/dev/null; then
      echo "SKIP: $tool is not installed (packages $hint)"
      exit 77
    fi
  done
}

# start_standin <build folder> <program folder>: a stand-in of the service
# on a port of its own ($standin its process, $host its address), and the
# options file beside the program naming it as every host, with a trace file
# (an installed copy takes the options to the user's folder on its first
# start).
start_standin() {
  "$1/bin/tonvik-standin" --port 0 --state "$work" >"$work/standin.log" 2>&1 &
  standin=$!
  for _ in $(seq 1 100); do grep -q "listening on" "$work/standin.log" && break; sleep 0.1; done
  host=$(sed -n 's/.*listening on \(127\.0\.0\.1:[0-9]*\).*/\1/p' "$work/standin.log")
  [ -n "$host" ] || fail "the stand-in did not start"
  printf '[Hosts]\r\nService=%s\r\nLogin=%s\r\nComment=%s\r\nLyricSearch=%s\r\n[Trace]\r\nFile=trace.log\r\n' \
    "$host" "$host" "$host" "$host" >"$2/TonvikMusic.ini"
}

# user_folders <catalogue file> <songs>: the user's folders in $work/home,
# a private runtime folder, and a play list of the catalogue's first songs;
# no display, no session bus.
user_folders() {
  export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
  export XDG_CACHE_HOME=$work/home/cache XDG_RUNTIME_DIR=$work/run ASAN_OPTIONS=detect_leaks=0
  unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM XDG_SESSION_TYPE DBUS_SESSION_BUS_ADDRESS
  mkdir -p "$XDG_DATA_HOME/Velora/TonvikMusic" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  "$(dirname "${BASH_SOURCE[0]}")/../../../tools/scripts/playlist.sh" "$1" "$2" \
    >"$XDG_DATA_HOME/Velora/TonvikMusic/Playlist.xls"
}
