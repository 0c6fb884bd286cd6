#!/usr/bin/env bash
# Processor time while playing, side by side with the players people already
# use: TonvikMusic (release build, songs from the service stand-in) and, where
# installed, Audacious and Qmmp playing the same songs into the same sound
# server (a PulseAudio null sink), each with its window visible on one
# virtual X screen. Rounds are interleaved so that the machine's mood falls
# on all three alike.
#
#   bench/playing-cpu.sh [ROUNDS] [SECONDS]     (3 rounds of 25 s by default)
#
# Prints, per player, the median share of one core taken by its whole
# process tree, and a per-thread breakdown of TonvikMusic's process.
# The peers are only for comparing: apt-get install audacious qmmp pulseaudio
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-3}
window=${2:-25}
bin=build/release/bin
for tool in Xvfb xdotool pulseaudio pactl dbus-run-session; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool pulseaudio dbus)"; exit 2; }
done
[ -x "$bin/TonvikMusic" ] && [ -x "$bin/tonvik-standin" ] ||
  { echo "needs the release build: cmake --preset release && cmake --build --preset release"; exit 2; }

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  if [ -n "${BENCH_KEEP:-}" ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

# The screen and the sound server.
display=":$((70 + RANDOM % 20))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=$display
export PULSE_SERVER="unix:$work/pulse"
pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
  --load="module-native-protocol-unix socket=$work/pulse auth-anonymous=1" \
  --load="module-null-sink sink_name=bench" --load="module-always-sink" >"$work/pulse.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
pactl info >/dev/null 2>&1 || { echo "PulseAudio did not start: $(cat "$work/pulse.log")"; exit 1; }

# The stand-in and the songs: its three longest, also as files for the peers.
"$bin/tonvik-standin" --port 0 --state "$work/standin" >"$work/standin.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do grep -q listening "$work/standin.log" && break; sleep 0.1; done
host=$(sed -n 's/^listening on //p' "$work/standin.log")
[ -n "$host" ] || { echo "the stand-in did not start: $(cat "$work/standin.log")"; exit 1; }
songs=$(awk '/^id:/{id=$2} /^name:/{sub(/^name: /,""); name=$0} /^singer:/{sub(/^singer: /,""); singer=$0}
             /^album:/{sub(/^album: /,""); album=$0} /^seconds:/{print $2 "\t" id "\t" name "\t" singer "\t" album}' \
          tools/standin/data/catalogue.txt | sort -rn | head -3)
files=()
: >"$work/Playlist.utf8"
while IFS=$'\t' read -r _ id name singer album; do
  curl -sf "http://$host/songhall/audio/$id.wav" -o "$work/$id.wav"
  files+=("$work/$id.wav")
  printf '%s\t%s\t%s\t%s\t\r\n' "$id" "$name" "$singer" "$album" >>"$work/Playlist.utf8"
done <<<"$songs"

# Our program's folder: the program and its files, settings naming the
# stand-in, the play list. BENCH_PROGRAM names another build of the player
# to measure in its place; BENCH_BASELINE one to measure beside it, in the
# same rounds, as "Baseline" (a build before a change).
program_folder() {  # program_folder <folder> <program>
  mkdir -p "$1"
  # The programs are copied: each takes its folder from its own file.
  for entry in "$bin"/*; do ln -s "$(realpath "$entry")" "$1/"; done
  rm "$1/TonvikMusic" "$1/TonvikClose"
  cp "$2" "$1/TonvikMusic"
  cp "$bin/TonvikClose" "$1/"
  printf '[Hosts]\r\nService=%s\r\nLogin=%s\r\nComment=%s\r\nLyricSearch=%s\r\n[Trace]\r\nFile=trace.log\r\n' \
    "$host" "$host" "$host" "$host" \
    >"$1/TonvikMusic.ini"
  printf '[Hosts]\r\nUpdate=%s\r\nGamePatch=%s\r\n' "$host" "$host" >"$1/Patchwell.ini"
  iconv -f UTF-8 -t GBK "$work/Playlist.utf8" >"$1/Playlist.xls"
}
ours="$work/tonvik"
program_folder "$ours" "${BENCH_PROGRAM:-$bin/TonvikMusic}"
if [ -n "${BENCH_BASELINE:-}" ]; then program_folder "$work/baseline" "$BENCH_BASELINE"; fi

# Processor ticks (user and system) of a process and all its descendants,
# and of each thread of one process by name. The fields after the command
# name (which may hold spaces) start at the state.
ticks_of() { awk '{sub(/^.*\) /, ""); print $12 + $13}' "$1" 2>/dev/null || echo 0; }

tree_ticks() {  # "pid ticks" lines
  local pid
  for pid in $(pstree -p -T "$1" 2>/dev/null | grep -o '([0-9]*)' | tr -d '()'); do
    echo "$pid $(ticks_of "/proc/$pid/stat")"
  done | sort
}

thread_ticks() {
  local task
  for task in /proc/"$1"/task/*; do
    local name
    name=$(cat "$task/comm" 2>/dev/null) || continue
    # Threads nobody named carry the program's name: tell the main one apart.
    if [ "${task##*/}" = "$1" ]; then name="$name (main)"; fi
    echo "$name"$'\t'"$(ticks_of "$task/stat")"
  done | awk -F'\t' '{ticks[$1] += $2} END {for (n in ticks) print n "\t" ticks[n]}'
}

# The process named $2 below process $1.
descendant() { pstree -p "$1" | grep -o "$2([0-9]*)" | head -1 | tr -dc '0-9'; }

hz=$(getconf CLK_TCK)
declare -A samples
measure() {  # measure <name> <pid>: the tree's share of a core over the window
  # Processes that end or start within the window are left out: what is
  # measured is the steady playing, not a helper process's start or end.
  tree_ticks "$2" >"$work/tree.before"
  if [ "$1" = TonvikMusic ]; then thread_ticks "$2" >"$work/threads.before"; fi
  if [ "$1" = TonvikMusic ] && [ -n "${BENCH_PROBE:-}" ]; then
    # A look inside while it plays (perf, strace...), given the process as
    # $PLAYER_PID; its figures are then not comparable.
    PLAYER_PID=$2 timeout "$window" sh -c "$BENCH_PROBE" || true
  else
    sleep "$window"
  fi
  tree_ticks "$2" >"$work/tree.after"
  if [ "$1" = TonvikMusic ]; then thread_ticks "$2" >"$work/threads.after"; fi
  samples[$1]+="$(join "$work/tree.before" "$work/tree.after" |
    awk -v hz="$hz" -v s="$window" '{t += $3 - $2} END {printf "%.2f", 100 * t / hz / s}') "
}

run_ours() {  # run_ours <name> <folder>
  local name=$1 folder=$2
  ( cd "$folder" && exec env ${BENCH_OURS_ENV:-} dbus-run-session -- sh -c '
      ./TonvikMusic & player=$!
      for _ in $(seq 100); do
        dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.tonvikmusic /org/mpris/MediaPlayer2 \
          org.mpris.MediaPlayer2.Player.Play >/dev/null 2>&1 && break
        sleep 0.2
      done
      wait $player' ) >"$work/ours.log" 2>&1 &
  local shell=$!
  # Wait for the playing sign: a stream on the null sink.
  for _ in $(seq 150); do pactl list short sink-inputs | grep -q . && break; sleep 0.2; done
  sleep 2
  local player
  player=$(descendant "$shell" TonvikMusic)
  [ -n "$player" ] || { echo "$name did not start: $(cat "$work/ours.log")"; exit 1; }
  pactl list sink-inputs | grep -m1 'application.name' >>"$work/ours.log" || true
  measure "$name" "$player"
  ( cd "$folder" && ./TonvikClose >/dev/null 2>&1 ) || kill "$player" 2>/dev/null || true
  wait "$shell" 2>/dev/null || true
}

run_peer() {  # run_peer <name> <program and arguments...>
  local name=$1
  shift
  HOME="$work/home-$name" XDG_CONFIG_HOME="$work/home-$name/.config" dbus-run-session -- "$@" >"$work/$name.log" 2>&1 &
  local shell=$!
  for _ in $(seq 150); do pactl list short sink-inputs | grep -q . && break; sleep 0.2; done
  sleep 2
  local player
  player=$(descendant "$shell" "$1")
  [ -n "$player" ] || { echo "$name did not start: $(cat "$work/$name.log")"; exit 1; }
  measure "$name" "$player"
  kill "$player" 2>/dev/null || true
  wait "$shell" 2>/dev/null || true
}

for round in $(seq "$rounds"); do
  echo "round $round of $rounds"
  run_ours TonvikMusic "$ours"
  if [ -n "${BENCH_BASELINE:-}" ]; then run_ours Baseline "$work/baseline"; fi
  if command -v audacious >/dev/null; then run_peer Audacious audacious -p "${files[@]}"; fi
  if command -v qmmp >/dev/null; then run_peer Qmmp qmmp "${files[@]}"; fi
done

median() { tr ' ' '\n' | grep . | sort -n | awk '{v[NR]=$1} END {print (NR%2 ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2)}'; }
echo
printf '%-12s %-26s %s\n' player "% of a core (median)" "rounds"
for name in TonvikMusic Baseline Audacious Qmmp; do
  [ -n "${samples[$name]:-}" ] || continue
  printf '%-12s %-26s %s\n' "$name" "$(median <<<"${samples[$name]}")" "${samples[$name]}"
done
echo
echo "TonvikMusic's threads over the last window (% of a core):"
join -t $'\t' <(sort "$work/threads.before") <(sort "$work/threads.after") |
  awk -F'\t' -v hz="$hz" -v s="$window" '{d = $3 - $2; if (d > 0) printf "  %-20s %.2f\n", $1, 100 * d / hz / s}' |
  sort -k2 -rn
