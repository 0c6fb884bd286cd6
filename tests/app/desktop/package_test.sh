#!/bin/bash
# Builds the Debian package as a packager would (the "package" presets:
# optimised, no self-update, no tests), then checks it from outside: its
# file list, that its binaries are stripped and nothing of the tests, the
# benchmarks or the stand-in came along, the dependencies dpkg-shlibdeps
# computed, lintian (no errors; warnings are printed), and, unpacked into a
# scratch root, the desktop files, the libraries' search paths and the
# installed program itself: --version, and a start and an orderly close
# against a stand-in that leave the program folder as installed.
#   package_test.sh <source folder> <debug build folder> <version> <catalogue file>
set -euo pipefail
source=$1
build=$2
version=$3
catalogue=$4
source "$(dirname "$0")/session_support.sh"
require_tools "cmake dpkg-dev lintian desktop-file-utils appstream binutils file" \
  cpack dpkg-deb dpkg-shlibdeps lintian desktop-file-validate appstreamcli readelf file

work=$(mktemp -d)
standin=
player=
cleanup() {
  [ -n "$player" ] && kill -9 "$player" 2>/dev/null || true
  [ -n "$standin" ] && kill "$standin" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }
started=$(date +%s)

# The package, from the package build tree beside the others.
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
(
  cd "$source"
  cmake --preset package "${launcher[@]}" >"$work/configure.log" 2>&1 || { cat "$work/configure.log"; exit 1; }
  cmake --build --preset package >"$work/build.log" 2>&1 || { tail -n 40 "$work/build.log"; exit 1; }
  cpack --preset package >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
) || fail "building the package"
deb=$source/build/package/tonvikmusic_${version}_amd64.deb
[ -f "$deb" ] || { cat "$work/cpack.log"; fail "no $deb"; }
echo "package: $deb, $(stat -c %s "$deb") bytes, built in $(( $(date +%s) - started )) s"

# The control fields.
[ "$(dpkg-deb -f "$deb" Package)" = tonvikmusic ] || fail "package name"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "version $(dpkg-deb -f "$deb" Version), wanted $version"
[ "$(dpkg-deb -f "$deb" Architecture)" = amd64 ] || fail "architecture"
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for needed in libc6 libqt6core6 libqt6widgets6 libqt6dbus6 libqt6network6 libqt6webenginecore6 \
              libqt6webenginewidgets6 libgstreamer1.0-0 libgstreamer-plugins-base1.0-0 libcurl4 libxml2 libssl3 \
              gstreamer1.0-plugins-base gstreamer1.0-plugins-good; do
  grep -Eq "(^|, )$needed( |,|$)" <<<"$depends" || fail "Depends does not name $needed"
done
! grep -qi "patchwell\|tonvik" <<<"$depends" || fail "Depends names the package's own libraries"

# The file list: the program folder, the command, the desktop's files.
dpkg-deb -c "$deb" | awk '{ print $1 " " $6 ($7 == "->" ? " -> " $8 : "") }' | sed 's| \./| /|' >"$work/list.txt"
program=/usr/lib/x86_64-linux-gnu/tonvikmusic
listed() { grep -q "^$1 $2\$" "$work/list.txt" || fail "the package has no $2 ($1)"; }
listed -rwxr-xr-x "$program/TonvikMusic"
listed -rwxr-xr-x "$program/TonvikClose"
for file in libPatchwell.so libPatchwellEngine.so libTonvikWebEngine.so; do listed -rw-r--r-- "$program/$file"; done
for file in TonvikMusic.installed Skin/Skin.ini Skin2/Skin.ini res/128.ico html/noconnection.htm Update/Update.xml; do
  listed -rw-r--r-- "$program/$file"
done
listed lrwxrwxrwx "/usr/bin/tonvikmusic -> ../lib/x86_64-linux-gnu/tonvikmusic/TonvikMusic"
listed -rw-r--r-- /usr/share/applications/com.velora.TonvikMusic.desktop
listed -rw-r--r-- /usr/share/metainfo/com.velora.TonvikMusic.metainfo.xml
listed -rw-r--r-- /usr/share/icons/hicolor/256x256/apps/com.velora.TonvikMusic.png
listed -rw-r--r-- /usr/share/doc/tonvikmusic/copyright
listed -rw-r--r-- /usr/share/doc/tonvikmusic/changelog.gz
listed -rw-r--r-- /usr/share/man/man1/tonvikmusic.1.gz
# Nothing but the two programs is executable, nothing lies outside /usr.
executables=$(awk '$1 ~ /^-..x/ { print $2 }' "$work/list.txt" | sort | tr '\n' ' ')
[ "$executables" = "$program/TonvikClose $program/TonvikMusic " ] || fail "executables in the package: $executables"
! grep -v " /usr/" "$work/list.txt" | grep -v " /\$" | grep -q . || fail "files outside /usr: $(grep -v ' /usr/' "$work/list.txt")"
! grep -Ei "standin|stand-in|test|bench|skingen|gallery|sign-update|shot|playerdemo|\.a\$|\.h\$" "$work/list.txt" ||
  fail "the package carries build tools, tests or headers"

# lintian: no errors; warnings and notes are only shown.
lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
grep -v "running with root privileges" "$work/lintian.txt" || true
! grep -q "^E: " "$work/lintian.txt" || fail "lintian reports errors"
echo "lintian: $(grep -c '^W: ' "$work/lintian.txt" || true) warnings"

# Unpacked into a scratch root.
root=$work/root
dpkg-deb -x "$deb" "$root"
folder=$root$program
desktop-file-validate "$root/usr/share/applications/com.velora.TonvikMusic.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/com.velora.TonvikMusic.metainfo.xml" || fail "metainfo"
grep -q "<release version=\"$version\"" "$root/usr/share/metainfo/com.velora.TonvikMusic.metainfo.xml" ||
  fail "the metainfo does not name version $version"
zcat "$root/usr/share/doc/tonvikmusic/changelog.gz" | head -n 1 | grep -q "^tonvikmusic ($version) " ||
  fail "the change log does not start with version $version"
for elf in TonvikMusic TonvikClose libPatchwell.so libPatchwellEngine.so libTonvikWebEngine.so; do
  file -L "$folder/$elf" | grep -q ", stripped" || fail "$elf is not stripped"
  # Only the update library looks beside itself (for its engine).
  runpath=$(readelf -d "$folder/$elf" | sed -n 's/.*(\(RPATH\|RUNPATH\)).*\[\(.*\)\]/\2/p')
  if [ "$elf" = libPatchwell.so ]; then
    [ "$runpath" = '$ORIGIN' ] || fail "$elf searches '$runpath'"
  else
    [ -z "$runpath" ] || fail "$elf searches '$runpath'"
  fi
  ! env -u LD_LIBRARY_PATH ldd "$folder/$elf" | grep "not found" || fail "$elf misses libraries"
done
[ "$("$root/usr/bin/tonvikmusic" --version)" = "TonvikMusic $version" ] || fail "--version"

# The installed program, started through its command, against a stand-in,
# and closed in order: what it writes goes to the user's folders.
start_standin "$build" "$folder"
(cd "$folder" && find . -printf '%p %s %T@\n' | sort) >"$work/before.txt"
user_folders "$catalogue" 2
export QT_QPA_PLATFORM=offscreen
trace=$XDG_CONFIG_HOME/Velora/TonvikMusic/trace.log
"$root/usr/bin/tonvikmusic" >"$work/player.log" 2>&1 &
player=$!
for _ in $(seq 1 300); do grep -qs "OnCreate MainFrame... --->Enter" "$trace" && break; sleep 0.1; done
grep -qs "OnCreate MainFrame... --->Enter" "$trace" || { cat "$work/player.log"; fail "the installed player did not start"; }
timeout 60 "$root/usr/bin/tonvikmusic" --close || fail "--close: $?"
for _ in $(seq 1 100); do kill -0 "$player" 2>/dev/null || break; sleep 0.1; done
! kill -0 "$player" 2>/dev/null || fail "the player did not end"
wait "$player" || fail "the player ended with $?"
player=
grep -q "CloseApp" "$trace" || fail "no trace of the orderly close"
# The update library traces to standard output.
grep -q "SetupNewVersion : self-update is off in this build" "$work/player.log" ||
  fail "the package's update library updates itself"
[ -s "$XDG_DATA_HOME/Velora/TonvikMusic/Playlist.xls" ] || fail "the play list is not in the user's data folder"
(cd "$folder" && find . -printf '%p %s %T@\n' | sort) >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" || fail "the program folder changed"
echo "PASS: $deb in $(( $(date +%s) - started )) s"
