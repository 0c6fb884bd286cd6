# A virtual X server with a compositing manager, for screenshots that show
# translucent windows (shadows). Sourced by the screenshot scripts:
#   start_composited_display :58 640x360x24
#   trap stop_composited_display EXIT
start_composited_display() {
  Xvfb "$1" -screen 0 "$2" +extension Composite -nolisten tcp >/dev/null 2>&1 &
  composited_xvfb=$!
  sleep 1
  DISPLAY=$1 xcompmgr >/dev/null 2>&1 &
  composited_manager=$!
  sleep 1
}

stop_composited_display() {
  kill "$composited_manager" "$composited_xvfb" 2>/dev/null || true
}
