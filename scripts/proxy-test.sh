#!/usr/bin/env bash
# Test of the desktop's proxy: the optimised client plays the article road (the feeds, two
# articles with their pictures, the in-app browser on an article's page link, the picture
# viewer) and the binding road (the authorisation screen on the service's page) against the
# sample service, which it can reach only through the tests' loopback proxy: the service is
# named by a name no resolver knows (zu-sample.invalid), that the proxy alone takes for
# 127.0.0.1. The desktop is a scratch folder (its home, configuration, caches, no runtime
# folder) and names the proxy
#   - in GNOME's setting alone: a real dconf database in its configuration folder, made by
#     dconf's own tool, and no *_proxy variable;
#   - in the variables alone (upper case: HTTP_PROXY), and no database.
# Each road must be played to its end, the proxy must have been asked for the feeds and the
# article's pictures by the client (which names no user agent) and for the in-app browser's page and the
# authorisation page by the web engine, and nothing may have been written in the desktop's
# folders. Then the service at 127.0.0.1 with the proxy named by GNOME's setting and 127.0.0.1
# in its ignore-hosts, and by the variables with 127.0.0.1 in no_proxy: the roads reach their
# end and the proxy is asked nothing of the service.
#   scripts/proxy-test.sh <build dir>
# Exit status: 0 passed, 1 failed, 77 skipped (no client, sample service or proxy in the build
# dir, or no dconf tool).
set -uo pipefail
build=${1:?build dir}
cd "$(dirname "$0")/.."
build=$(cd "$build" && pwd)

skip() {
  echo "proxy-test: skipped: $1"
  # Noted for the count of skipped tests that `make test-release` prints.
  [ -z "${ZU_SKIPPED_LOG:-}" ] || echo "proxy-test.sh proxy: $1" >> "$ZU_SKIPPED_LOG"
  exit 77
}
proxy_program="$build/tools/loopback-proxy/zu-loopback-proxy"
[ -x "$build/src/app/zureader" ] && [ -x "$build/tools/sample-service/zu-sample-service" ] && [ -x "$proxy_program" ] ||
  skip "no client, sample service or loopback proxy in $build"
command -v dconf > /dev/null || skip "no dconf tool (dconf-cli)"

work=$(mktemp -d)
proxy_pid=
trap '[ -z "$proxy_pid" ] || { kill "$proxy_pid" 2> /dev/null; wait "$proxy_pid" 2> /dev/null; }; rm -rf "$work"' EXIT
name=zu-sample.invalid
log="$work/proxy.log"
"$proxy_program" --port-file "$work/proxy-port" --log "$log" "$name" &
proxy_pid=$!
for _ in $(seq 100); do
  [ -s "$work/proxy-port" ] && break
  kill -0 "$proxy_pid" 2> /dev/null || { echo "proxy-test: the proxy did not start"; exit 1; }
  sleep 0.1
done
proxy_port=$(cat "$work/proxy-port")
failures=0
fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}

# A fresh desktop folder; with a dconf database from the key file on standard input, if any.
desktop="$work/desktop"
make_desktop() {
  rm -rf "$desktop" "$work/keys"
  mkdir -p "$desktop/.config/dconf" "$desktop/.cache" "$desktop/.local/share" "$work/keys"
  if [ "${1:-}" = database ]; then
    cat > "$work/keys/proxy"
    dconf compile "$desktop/.config/dconf/user" "$work/keys" || { echo "proxy-test: dconf compile failed"; exit 1; }
  fi
  (cd "$desktop" && find . -printf '%p %s %T@\n' | sort) > "$work/desktop-before"
}

# Plays road $1 in the scratch desktop; the rest: NAME=VALUE for its environment.
play() {
  local road=$1
  shift
  : > "$log"
  env -u http_proxy -u https_proxy -u all_proxy -u no_proxy -u HTTP_PROXY -u HTTPS_PROXY -u ALL_PROXY \
    -u NO_PROXY -u DCONF_PROFILE -u XDG_RUNTIME_DIR -u ZU_SAMPLE_HOST_NAME -u XDG_CURRENT_DESKTOP \
    HOME="$desktop" XDG_CONFIG_HOME="$desktop/.config" XDG_CACHE_HOME="$desktop/.cache" \
    XDG_DATA_HOME="$desktop/.local/share" ZU_ROAD_OUTPUT="$work/client.out" "$@" \
    bash scripts/run-road.sh "$build" "scripts/run/$road.replay" > "$work/road.out" 2>&1
  local status=$?
  if [ "$status" -ne 0 ]; then
    cat "$work/road.out"
    fail "$road road ($*): status $status"
  fi
  { echo "== $road road ($*)"; cat "$log"; } >> "$work/proxy-logs"
  (cd "$desktop" && find . -printf '%p %s %T@\n' | sort) > "$work/desktop-after"
  diff "$work/desktop-before" "$work/desktop-after" > /dev/null ||
    fail "$road road ($*): the desktop's folders changed: $(diff "$work/desktop-before" "$work/desktop-after" | tr '\n' ' ')"
}

# Whether the proxy was asked a GET of the service for a path matching $1 by $2: the web engine
# (whose user agent names it) or the client (which sends none).
asked() {
  local lines
  lines=$(grep -E "^GET $name:[0-9]+ http://$name:[0-9]+$1 " "$log") || return 1
  if [ "$2" = engine ]; then
    grep -q 'AppleWebKit' <<< "$lines"
  else
    grep -qv 'AppleWebKit' <<< "$lines"
  fi
}
through_proxy() {
  local what=$1
  asked '/col/[^ ]*\.atom' client || fail "$what: the feeds were not loaded through the proxy"
  asked '/img/art-[^ ]*-picture\.png' client || fail "$what: no article's picture was loaded through the proxy"
  asked '/article/[^ ]*\.html' engine || fail "$what: the in-app browser's page was not loaded through the proxy"
  local others
  others=$(awk -v service="$name:" 'index($2, service) != 1' "$log")
  [ -z "$others" ] || fail "$what: the proxy was asked for other hosts: $others"
}
# The proxy was asked nothing of the service at 127.0.0.1.
nothing_asked() {
  grep -q " 127.0.0.1:" "$log" && fail "$1: the proxy was asked $(grep -m 3 " 127.0.0.1:" "$log")"
}

# GNOME's setting naming the proxy, with the ignore-hosts $1 (else the schema's).
gnome_setting() {
  printf "[system/proxy]\nmode='manual'\n%s\n[system/proxy/http]\nhost='127.0.0.1'\nport=%s\n" "${1:-}" "$proxy_port"
}

# GNOME's setting alone, on GNOME's desktop.
gnome_setting | make_desktop database
play article ZU_SAMPLE_HOST_NAME=$name XDG_CURRENT_DESKTOP=GNOME
through_proxy "GNOME's setting"
play bind ZU_SAMPLE_HOST_NAME=$name XDG_CURRENT_DESKTOP=GNOME
asked '/oauth/authenticate[^ ]*' engine || fail "GNOME's setting: the authorisation page was not loaded through the proxy"

# The variables alone.
make_desktop
play article ZU_SAMPLE_HOST_NAME=$name HTTP_PROXY="127.0.0.1:$proxy_port"
through_proxy "the variables"
play bind ZU_SAMPLE_HOST_NAME=$name HTTP_PROXY="127.0.0.1:$proxy_port"
asked '/oauth/authenticate[^ ]*' engine || fail "the variables: the authorisation page was not loaded through the proxy"

# The hosts reached directly: the proxy is asked nothing, though the client took the setting
# (it says which proxy it uses).
gnome_setting "ignore-hosts=['127.0.0.1']" | make_desktop database
play article XDG_CURRENT_DESKTOP=GNOME
nothing_asked "GNOME's ignore-hosts"
grep -q "^zureader: proxy: http" "$work/client.out" || fail "GNOME's ignore-hosts: the client did not take GNOME's setting"
make_desktop
play bind http_proxy="http://127.0.0.1:$proxy_port" no_proxy="localhost, 127.0.0.1"
nothing_asked "no_proxy"
grep -q "^zureader: proxy: http" "$work/client.out" || fail "no_proxy: the client did not take the variables"

if [ "$failures" -gt 0 ]; then
  echo "What the proxy was asked:"
  cat "$work/proxy-logs"
  echo "proxy-test: $failures failures"
  exit 1
fi
echo "proxy-test: passed"
