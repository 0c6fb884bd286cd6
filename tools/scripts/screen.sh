# Sourced by the screenshot scripts: a virtual X screen with a compositing
# manager (Xvfb, xcompmgr), and a shot of it once a program says it is ready.

# screen_start <display> <width>x<height>: starts both; they end with the script.
screen_start() {
  Xvfb "$1" -screen 0 "$2x24" +extension Composite >/dev/null 2>&1 &
  screen_xvfb=$!
  trap 'kill $screen_xvfb 2>/dev/null || true' EXIT
  sleep 1
  DISPLAY=$1 xcompmgr >/dev/null 2>&1 &
  screen_compositor=$!
  trap 'kill $screen_compositor $screen_xvfb 2>/dev/null || true' EXIT
  sleep 1
  screen_display=$1
}

# screen_run <output file> <program> [arguments...]: runs a program on the
# screen in the background, its standard output into the file; its process
# is $screen_program.
screen_run() {
  out=$1
  shift
  # The system D-Bus library keeps a buffer to the end; the leak check of a
  # sanitised build would fail the run for it.
  DISPLAY=$screen_display QT_QPA_PLATFORM=xcb ASAN_OPTIONS=detect_leaks=0 "$@" > "$out" &
  screen_program=$!
}

# screen_shoot <output file> <png> [stop]: waits (30 s at most) until the
# program wrote "ready", gives the compositor a second, takes the screen (or
# the part $screen_crop names, as WxH+X+Y) into the PNG and waits for the
# program to end (with "stop": ends it).
screen_shoot() {
  for _ in $(seq 1 300); do
    grep -q ready "$1" 2>/dev/null && break
    sleep 0.1
  done
  sleep 1
  DISPLAY=$screen_display import -window root ${screen_crop:+-crop "$screen_crop"} "$2"
  if [ "${3:-}" = stop ]; then kill $screen_program 2>/dev/null || true; fi
  wait $screen_program 2>/dev/null || true
}
