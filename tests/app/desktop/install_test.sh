#!/bin/bash
# Installs the build to a temporary prefix, validates the desktop entry and
# the AppStream data, checks the icons, and runs the installed player on a
# private session bus against a service stand-in, as whoever runs the test
# (root on a build machine), with the program folder left writable to that
# user as a package leaves /usr/lib to root: its play list, answer files,
# options and traces must land in the user's data and configuration
# folders, the program folder must stay as installed, and the play key, the
# metadata and Quit must work there too.
#   install_test.sh <build folder> <catalogue file>
set -euo pipefail
build=$1
catalogue=$2
source "$(dirname "$0")/session_support.sh"
require_tools "desktop-file-utils appstream dbus playerctl libglib2.0-bin" \
  desktop-file-validate appstreamcli dbus-run-session playerctl gdbus iconv

work=$(mktemp -d)
standin=
cleanup() {
  [ -n "$standin" ] && kill "$standin" 2>/dev/null || true
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "install"; }

# The desktop's files.
desktop=$(ls "$prefix"/share/applications/*.desktop)
desktop-file-validate "$desktop" || fail "desktop entry"
appstreamcli validate --no-net "$prefix"/share/metainfo/*.metainfo.xml || fail "metainfo"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 16 24 32 48 64 128 256; do
  png="$prefix/share/icons/hicolor/${size}x${size}/apps/$icon.png"
  [ -f "$png" ] || fail "no $png"
  file "$png" | grep -q "$size x $size" || fail "$png is not $size x $size"
done
# The entry and each of its actions start the installed command.
for exec in $(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop"); do
  [ -x "$prefix/bin/$exec" ] || fail "the desktop entry's command $exec is not installed"
done
command=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop" | head -n 1)
folder=$(dirname "$(readlink -f "$prefix/bin/$command")")
for file in TonvikMusic TonvikClose libPatchwell.so libPatchwellEngine.so Skin2/Skin.ini Skin/Skin.ini res/128.ico Update/Update.xml; do
  [ -e "$folder/$file" ] || fail "no $file in the program folder $folder"
done

# A stand-in of the service, and options shipped beside the program naming
# it. The folder stays writable to this user: the installed marker, not the
# folder's rights, keeps the player out.
start_standin "$build" "$folder"
[ -f "$folder/TonvikMusic.installed" ] || fail "no installed marker in $folder"
[ -w "$folder" ] || fail "$folder is not writable to $(id -un)"
(cd "$folder" && find . -printf '%p %s %T@\n' | sort) >"$work/before.txt"

# The user's folders, with a play list of two songs of the stand-in.
user_folders "$catalogue" 2
export QT_QPA_PLATFORM=offscreen
first=$(awk '/^name: / { print substr($0, 7); exit }' "$catalogue")

cat >"$work/session.sh" <<SESSION
#!/bin/bash
set -u
"$prefix/bin/$command" >"$work/player.log" 2>&1 &
player=\$!
for _ in \$(seq 1 300); do
  playerctl --player=tonvikmusic status >/dev/null 2>&1 && break
  sleep 0.1
done
playerctl --player=tonvikmusic play
for _ in \$(seq 1 300); do
  [ "\$(playerctl --player=tonvikmusic status 2>/dev/null)" = Playing ] &&
    [ "\$(playerctl --player=tonvikmusic metadata xesam:title 2>/dev/null)" = "$first" ] && break
  sleep 0.1
done
playerctl --player=tonvikmusic status >"$work/status.txt" 2>&1
playerctl --player=tonvikmusic metadata xesam:title >"$work/title.txt" 2>&1
gdbus call --session --dest org.mpris.MediaPlayer2.tonvikmusic --object-path /org/mpris/MediaPlayer2 \
  --method org.mpris.MediaPlayer2.Quit >/dev/null
for _ in \$(seq 1 300); do kill -0 \$player 2>/dev/null || break; sleep 0.1; done
if kill -0 \$player 2>/dev/null; then kill -9 \$player; echo "the player did not end" >"$work/ended.txt"; exit 1; fi
wait \$player
echo "exit \$?" >"$work/ended.txt"
SESSION
chmod +x "$work/session.sh"
timeout 120 dbus-run-session -- "$work/session.sh" || true

[ "$(cat "$work/status.txt")" = Playing ] || { cat "$work/player.log"; fail "not playing: $(cat "$work/status.txt")"; }
[ "$(cat "$work/title.txt")" = "$first" ] || fail "title $(cat "$work/title.txt"), wanted $first"
[ "$(cat "$work/ended.txt")" = "exit 0" ] || fail "Quit: $(cat "$work/ended.txt")"

# Where the files went.
data=$XDG_DATA_HOME/Velora/TonvikMusic
config=$XDG_CONFIG_HOME/Velora/TonvikMusic
[ -s "$data/Playlist.xls" ] || fail "the play list was not saved in $data"
[ -s "$data/playsong.xml" ] || fail "the answer file is not in $data"
grep -q "Service=$host" "$config/TonvikMusic.ini" || fail "the options are not in $config"
grep -q "CloseApp" "$config/trace.log" || fail "no trace of the orderly close in $config"
(cd "$folder" && find . -printf '%p %s %T@\n' | sort) >"$work/after.txt"
diff "$work/before.txt" "$work/after.txt" || fail "the program folder changed"
echo "PASS: installed to $prefix; files in $data and $config"
