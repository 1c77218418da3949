#!/usr/bin/env bash
# Test of scripts/run-sample.sh stopped by a signal: Ctrl+C reaches the whole run (the script, the
# client and the service); a hang-up, TERM, QUIT, USR1, USR2 or PIPE may reach the script alone.
# Either way the client ends its run (it writes its home as it ends), the service stops, and only
# then is the temporary home removed, so nothing is left behind and nothing runs on. Also: an
# empty replay ends a run with --quit-after-replay, and a named pipe as the replay is refused.
#   scripts/run-sample-test.sh <build dir>
# Exit status: 0 passed, 1 failed, 77 skipped (no client or sample service in the build dir).
set -uo pipefail
build=${1:?build dir}
cd "$(dirname "$0")/.."
if ! [ -x "$build/src/app/zureader" ] || ! [ -x "$build/tools/sample-service/zu-sample-service" ]; then
  echo "run-sample-test: skipped: no client or sample service in $build"
  # Noted for the count of skipped tests that `make test-release` prints.
  [ -z "${ZU_SKIPPED_LOG:-}" ] || echo "run-sample-test.sh run-sample-signals: no client or sample service in $build" >> "$ZU_SKIPPED_LOG"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}

# The client has launched once the home grid shows.
printf 'expect screen MyColumnsController\nexpect text Harbour Morning News\n' > "$work/home-grid.replay"

# Runs the script in a session of its own with its temporary folders in $work/tmp, sends
# `signal` to `whom` (the script, or the whole session) once the home grid shows, and checks
# what is left.
stopped_by() {
  local signal=$1 whom=$2
  local what="$signal to the $whom"
  rm -rf "$work/tmp"
  mkdir -p "$work/tmp"
  # Emptied here, not only by the run's own redirection: that happens in the started process,
  # perhaps after the first look below, which would then read the last run's "replay done" and
  # signal this run before it has set its traps.
  : > "$work/log"
  # With INT and QUIT at their defaults, as from a terminal: a background command of a script
  # starts with them ignored, and a shell cannot trap what it started ignoring.
  TMPDIR="$work/tmp" setsid env --default-signal=INT,QUIT bash scripts/run-sample.sh "$build" \
    --headless --quit-after 120 --replay "$work/home-grid.replay" > "$work/log" 2>&1 &
  local session=$!
  for _ in $(seq 600); do
    grep -q '^zureader: replay done' "$work/log" && break
    kill -0 "$session" 2> /dev/null || break
    sleep 0.1
  done
  grep -q '^zureader: replay done' "$work/log" || { fail "$what: the client showed no home grid: $(cat "$work/log")"; return; }
  if [ "$whom" = script ]; then
    kill "-$signal" "$session"
  else
    kill "-$signal" -- "-$session"
  fi
  for _ in $(seq 600); do
    kill -0 "$session" 2> /dev/null || break
    sleep 0.1
  done
  if kill -0 "$session" 2> /dev/null; then
    fail "$what: the script still runs a minute after the signal"
  fi
  wait "$session" 2> /dev/null
  # Nothing of the run goes on once the script has ended (ended processes not yet reaped aside).
  if pgrep -r R,S,D,T -s "$session" > /dev/null; then
    fail "$what: processes of the run still go: $(pgrep -a -r R,S,D,T -s "$session")"
    kill -KILL -- "-$session" 2> /dev/null
  fi
  grep -q '^zureader: ended' "$work/log" || fail "$what: the client did not end its run: $(cat "$work/log")"
  local left
  left=$(find "$work/tmp" -mindepth 1)
  [ -z "$left" ] || fail "$what: the temporary home is left behind: $left"
}

# A run with an empty replay and --quit-after-replay ends by itself once launched; a replay that
# is a named pipe is refused at launch, never waited on.
replay_files() {
  local status
  : > "$work/empty.replay"
  timeout 90 bash scripts/run-sample.sh "$build" --headless --quit-after-replay \
    --replay "$work/empty.replay" > "$work/log" 2>&1
  status=$?
  [ "$status" -eq 0 ] && grep -q '^zureader: replay done' "$work/log" && grep -q '^zureader: ended' "$work/log" ||
    fail "an empty replay did not end the run (status $status): $(cat "$work/log")"
  rm -f "$work/pipe.replay"
  mkfifo "$work/pipe.replay"
  timeout 90 bash scripts/run-sample.sh "$build" --headless --quit-after-replay \
    --replay "$work/pipe.replay" > "$work/log" 2>&1
  status=$?
  [ "$status" -eq 2 ] && grep -q 'is not a regular file' "$work/log" ||
    fail "a named pipe as the replay was not refused at launch (status $status): $(cat "$work/log")"
}

replay_files
# Each catchable signal that ends a shell, sent to the script alone; Ctrl+C and a TERM to the
# whole run (the client ends on those itself).
for signal in HUP INT QUIT TERM USR1 USR2 PIPE; do
  stopped_by "$signal" script
done
stopped_by INT session
stopped_by TERM session

if [ "$failures" -gt 0 ]; then
  echo "run-sample-test: $failures failed"
  exit 1
fi
echo "run-sample-test: passed"
