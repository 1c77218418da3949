#!/usr/bin/env bash
# Plays one road of scripts/run/ headless against the sample service (scripts/run-sample.sh) and
# says whether it reached its screen: the client must play every step, each expect holding, and
# end by itself once the replay is done. The road's usage line ("#   [NAME=VALUE ...] make run
# ARGS=\"... --quit-after SECONDS ...\"") gives the environment it runs in and its length; the
# run is given twice that, and more on a loaded machine, before it counts as stuck.
#   scripts/run-road.sh <build dir> <road file>
# Exit status: 0 reached, 1 failed (the client's output follows, with the failing line),
# 77 skipped (something the road needs is missing: the client, the sample service, or
# GStreamer for a road whose "# Needs:" line names video).
# $ZU_ROAD_SNAPSHOTS, when set, keeps the road's snapshots in that folder under the road's name.
set -uo pipefail
build=${1:?build dir}
road=${2:?road file}
cd "$(dirname "$0")/.."
name=$(basename "$road" .replay)

skip() {
  echo "road $name: skipped: $1"
  # Noted for the count of skipped tests that `make test-release` prints.
  [ -z "${ZU_SKIPPED_LOG:-}" ] || echo "run-road.sh road.$name: $1" >> "$ZU_SKIPPED_LOG"
  exit 77
}
[ -x "$build/src/app/zureader" ] || skip "no client in $build"
[ -x "$build/tools/sample-service/zu-sample-service" ] || skip "no sample service in $build"
if grep -qi '^# Needs:.*video' "$road"; then
  # (GStreamer's registry of its plugins is written into a scratch cache home, not the desktop
  # user's.)
  registry=$(mktemp -d)
  command -v gst-inspect-1.0 > /dev/null && XDG_CACHE_HOME="$registry" gst-inspect-1.0 --exists playbin 2> /dev/null
  found=$?
  rm -rf "$registry"
  [ "$found" -eq 0 ] || skip "GStreamer's playbin is not installed"
fi

# A road ends in an expect of the screen it reaches.
last=$(grep -v '^[[:space:]]*\(#\|$\)' "$road" | tail -n 1)
case "$last" in
  expect\ *) ;;
  *) echo "road $name: failed: its last step is \"$last\", not an expect of the screen it reaches"; exit 1 ;;
esac

usage=$(grep -m 1 'make run ARGS=' "$road" | sed 's/^#[[:space:]]*//')
seconds=$(sed -n 's/.*--quit-after \([0-9][0-9]*\).*/\1/p' <<< "$usage")
[ -n "$seconds" ] || { echo "road $name: failed: its usage line names no --quit-after"; exit 1; }
environment=()
for word in ${usage%%make run*}; do
  [[ "$word" == *=* ]] && environment+=("$word")
done

arguments=(--headless --quit-after-replay --quit-after $((seconds * 2 + 30)) --replay "$road")
if [ -n "${ZU_ROAD_SNAPSHOTS:-}" ]; then
  rm -rf "${ZU_ROAD_SNAPSHOTS:?}/$name"
  arguments+=(--snapshot "$ZU_ROAD_SNAPSHOTS/$name")
fi
log=$(mktemp)
trap 'rm -f "$log"' EXIT
started=$(date +%s)
env "${environment[@]}" bash scripts/run-sample.sh "$build" "${arguments[@]}" > "$log" 2>&1
status=$?
took=$(($(date +%s) - started))
# What the client and the service said, for a caller that checks it (ZU_ROAD_OUTPUT: a file).
[ -z "${ZU_ROAD_OUTPUT:-}" ] || cp "$log" "$ZU_ROAD_OUTPUT"
if [ "$status" -eq 0 ] && grep -q '^zureader: replay done' "$log"; then
  echo "road $name: reached in ${took} s"
  exit 0
fi
cat "$log"
if failure=$(grep -m 1 '^zureader: replay failed at' "$log"); then
  echo "road $name: failed: ${failure#zureader: replay failed at }"
elif [ "$status" -eq 0 ]; then
  echo "road $name: failed: the replay was not done after $((seconds * 2 + 30)) s"
else
  echo "road $name: failed: the client ended with status $status"
fi
exit 1
