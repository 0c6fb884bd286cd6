#!/usr/bin/env bash
# The long run, on demand:  tools/scripts/soak.sh MINUTES
#
# Plays the stand-in's whole catalogue in the "列表循环" mode with the real
# program on a virtual X screen while the stand-in gives a fault to every
# few requests (audio, look-up, recommendations, sign-in; SOAK_EVERY, 4 by
# default), the user refreshes the recommendations and signs in now and
# then, and the network goes away and comes back every few minutes. Prints
# the program's resident memory over time, the songs played, the recoveries
# of broken streams, the crashes and whether the play list survived; exits
# non-zero on a crash, a close out of order or a damaged play list.
#
# The program measured is the release build (SOAK_PRESET=debug takes the
# sanitised one; its memory figures mean little). The run lives in a
# network namespace of its own (unshare) whose only way out is a virtual
# link that it takes down and up again; where namespaces are not allowed it
# runs without taking the network away.
set -euo pipefail
cd "$(dirname "$0")/../.."
minutes=${1:?usage: tools/scripts/soak.sh MINUTES}
preset=${SOAK_PRESET:-release}
every=${SOAK_EVERY:-4}
source tools/scripts/deps.sh
tonvik_install_deps

# The driver comes from the debug build (it shares the road test's hands).
[ -f build/debug/build.ninja ] || cmake --preset debug
cmake --build --preset debug --target soak_run
if [ "$preset" != debug ]; then
  [ -f "build/$preset/build.ninja" ] || cmake --preset "$preset"
  cmake --build --preset "$preset" --target TonvikMusic TonvikClose Patchwell PatchwellEngine tonvik_data
fi
driver=$PWD/build/debug/tests/soak_run
program=$PWD/build/$preset/bin

if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  export XDG_RUNTIME_DIR="/tmp/runtime-$(id -u)"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
fi

namespace=(unshare --net)
if [ "$(id -u)" -ne 0 ]; then namespace+=(--map-root-user); fi
# shellcheck disable=SC2016
inside='
  set -e
  ip link set lo up
  ip link add soak0 type veth peer name soak1
  ip addr add 10.201.0.1/24 dev soak0
  ip link set soak0 up
  ip link set soak1 up
  exec "$@" --flip soak1'
if command -v ip >/dev/null && "${namespace[@]}" true 2>/dev/null; then
  exec "${namespace[@]}" bash -c "$inside" soak "$driver" "$minutes" "$program" --every "$every"
fi
echo "soak: no network namespace here; the network stays as it is" >&2
exec "$driver" "$minutes" "$program" --every "$every"
