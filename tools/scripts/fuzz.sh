#!/usr/bin/env bash
# Builds the libFuzzer targets (the "fuzz" preset, clang) and runs each of
# them for SECONDS (default 60). Fails on any crash, leak, time-out or
# memory blow-up, leaving the input that did it in build/fuzz/artifacts/.
#
#   tools/scripts/fuzz.sh [SECONDS]     build, then run every target
#   tools/scripts/fuzz.sh --build-only  build only
#   FUZZ_TARGETS="fuzz_mpris fuzz_gif" tools/scripts/fuzz.sh 30
#
# Each target starts from its committed seeds in fuzz/corpus/<target>/ and
# from what earlier runs found; new finds go to build/fuzz/corpus/<target>/
# (not committed). Seeds worth keeping are copied into fuzz/corpus by hand,
# small ones only. A dictionary fuzz/dict/<target>.dict is used when present.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
cd "$ROOT"
# shellcheck source=deps.sh
source "$ROOT/tools/scripts/deps.sh"

BUILD_ONLY=0
SECONDS_EACH=60
case "${1:-}" in
  --build-only) BUILD_ONLY=1 ;;
  "") ;;
  *[!0-9]*) echo "usage: $0 [SECONDS | --build-only]" >&2; exit 2 ;;
  *) SECONDS_EACH="$1" ;;
esac
TIMEOUT_S="${FUZZ_TIMEOUT:-10}"     # one input longer than this is a hang
RSS_MB="${FUZZ_RSS_MB:-2048}"       # more memory than this is a blow-up

TONVIK_PACKAGES+=(clang)
tonvik_install_deps

BUILD="$ROOT/build/fuzz"
if [ ! -f "$BUILD/build.ninja" ]; then
  launcher=()
  if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  fi
  cmake --preset fuzz "${launcher[@]}"
fi
cmake --build --preset fuzz --target fuzzers
[ "$BUILD_ONLY" -eq 1 ] && exit 0

if [ -n "${FUZZ_TARGETS:-}" ]; then
  read -r -a targets <<<"$FUZZ_TARGETS"
else
  targets=()
  for bin in "$BUILD"/fuzz/fuzz_*; do
    [ -x "$bin" ] && targets+=("$(basename "$bin")")
  done
fi
if [ "${#targets[@]}" -eq 0 ]; then
  echo "No fuzz targets in $BUILD/fuzz" >&2
  exit 1
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
export QT_QPA_PLATFORM=offscreen

mkdir -p "$BUILD/artifacts" "$BUILD/logs"
failed=()
for target in "${targets[@]}"; do
  seeds="$ROOT/fuzz/corpus/$target"
  finds="$BUILD/corpus/$target"
  mkdir -p "$seeds" "$finds"
  args=(-max_total_time="$SECONDS_EACH" -timeout="$TIMEOUT_S" -rss_limit_mb="$RSS_MB"
        -malloc_limit_mb="$RSS_MB" -detect_leaks=1 -print_final_stats=1
        -artifact_prefix="$BUILD/artifacts/$target-")
  if [ -f "$ROOT/fuzz/dict/$target.dict" ]; then
    args+=(-dict="$ROOT/fuzz/dict/$target.dict")
  fi
  log="$BUILD/logs/$target.log"
  echo "== $target: ${SECONDS_EACH}s"
  # New inputs are written to the first folder only.
  if "$BUILD/fuzz/$target" "${args[@]}" "$finds" "$seeds" >"$log" 2>&1; then
    grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$log" | tr '\n' ' '
    echo "-> ok"
  else
    echo "-> FAILED (log: $log)"
    grep -E 'ERROR|SUMMARY|Test unit written|timeout|leak' "$log" | head -20 || true
    failed+=("$target")
  fi
done

if [ "${#failed[@]}" -ne 0 ]; then
  echo "Fuzz targets that failed: ${failed[*]}" >&2
  exit 1
fi
echo "All ${#targets[@]} fuzz targets ran ${SECONDS_EACH}s each without a finding."
