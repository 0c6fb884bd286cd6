# Starts a virtual X server with a compositing manager (translucent windows,
# so window shadows show) for the screenshot scripts, and stops both when the
# sourcing script ends. Sourced; needs Xvfb and xcompmgr.
#   tonvik_virtual_display <display> <width>x<height>x<depth>
tonvik_virtual_display() {
  Xvfb "$1" -screen 0 "$2" +extension Composite >/dev/null 2>&1 &
  tonvik_xvfb=$!
  trap 'kill $tonvik_xvfb 2>/dev/null || true' EXIT
  sleep 1
  DISPLAY=$1 xcompmgr >/dev/null 2>&1 &
  tonvik_compositor=$!
  trap 'kill $tonvik_compositor $tonvik_xvfb 2>/dev/null || true' EXIT
  sleep 1
}
