#!/usr/bin/env bash
# Runs the client against the sample service: starts the service on a free loopback port,
# runs zureader with a fresh temporary home pointed at it, then stops the service.
#   scripts/run-sample.sh <build dir> [zureader arguments...]
set -euo pipefail
build=${1:-build/release}
[ $# -gt 0 ] && shift
work=$(mktemp -d)
trap 'kill "$service" 2>/dev/null || true; wait "$service" 2>/dev/null || true; rm -rf "$work"' EXIT

# $ZU_SAMPLE_HOST_NAME: the service's host is reached (and named in its addresses) by that name
# instead of 127.0.0.1 — a name that only a proxy knows, for a run through the proxy.
host_name=${ZU_SAMPLE_HOST_NAME:-127.0.0.1}
"$build/tools/sample-service/zu-sample-service" --port-file "$work/port" --host-name "$host_name" &
service=$!
for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  kill -0 "$service" 2>/dev/null || { echo "run: the sample service did not start" >&2; exit 1; }
  sleep 0.1
done
[ -s "$work/port" ] || { echo "run: the sample service did not report its port" >&2; exit 1; }

# The client's home: a fresh one in the work folder, removed with it; or $ZU_RUN_HOME, a folder
# of the caller's (a test's planted home), left as the run leaves it.
home=${ZU_RUN_HOME:-$work/home}

# The home of a reader who has launched the client before (the guide already seen), so a run
# without input reaches the home grid; ZU_FIRST_RUN=1 keeps the home empty: the first-run guide.
if [ "${ZU_FIRST_RUN:-0}" != 1 ]; then
  version=$(sed -n '/<key>CFBundleVersion<\/key>/{n;s/.*<string>\(.*\)<\/string>.*/\1/p}' resources/Info.plist)
  mkdir -p "$home/Library/Preferences"
  cat > "$home/Library/Preferences/zureader.plist" <<PLIST
<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>EverRun</key><string>true</string>
<key>DisplayedHelperVersion</key><string>$version</string>
</dict></plist>
PLIST
fi

# The settings' store row leads to the sample's own review page.
port=$(cat "$work/port")
ZU_HOME="$home" ZU_SERVICE_HOST="$host_name:$port" ZU_STORE_REVIEW_URL="http://$host_name:$port/store/review.html" \
  "$build/src/app/zureader" "$@" &
client=$!
# Every catchable signal that would end this script (Ctrl+C, a hang-up, a TERM, QUIT, USR1, USR2 or
# PIPE to this script alone) ends the client's run instead; the client writes its home as it
# ends, so the home is removed (on exit) only once the client has ended. A signal breaks off a
# wait, which is then waited again; the status is the client's.
trap 'kill -TERM "$client" 2> /dev/null || true' HUP INT QUIT TERM USR1 USR2 PIPE
status=0
while :; do
  wait "$client" && status=0 || status=$?
  kill -0 "$client" 2> /dev/null || break
done
exit "$status"
