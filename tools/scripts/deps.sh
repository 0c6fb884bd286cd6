# Installs the Debian packages the build and the tests need, only the ones
# that are missing. Sourced by the run and test scripts.

TONVIK_PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools libgl-dev
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-tools
  libcurl4-openssl-dev libxml2-dev libicu-dev libxcb1-dev libxcb-sync-dev libssl-dev libcpp-httplib-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-wqy-microhei xvfb xauth x11-utils imagemagick xcompmgr xdotool wmdocker curl
  dbus libglib2.0-bin playerctl desktop-file-utils appstream file dpkg-dev lintian weston qt6-wayland
)

tonvik_install_deps() {
  local missing=()
  local pkg
  for pkg in "${TONVIK_PACKAGES[@]}"; do
    if [ "$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null)" != "install ok installed" ]; then
      missing+=("$pkg")
    fi
  done
  if [ "${#missing[@]}" -eq 0 ]; then
    return 0
  fi
  echo "Installing: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo[@]}" apt-get update -q
  "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}
