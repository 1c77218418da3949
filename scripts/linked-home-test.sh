#!/usr/bin/env bash
# Test of the libraries' files while the home is tampered with: the client opens articles (the
# article road: two articles, the in-app browser, the picture viewer) and plays the video (the
# video road) against the sample service, while a loop keeps replacing the folders where earlier
# versions had the libraries under it keep their files — Library, Library/Caches, Library/XDG,
# Library/Caches/XDG, and the web engine's Library/WebKit and Library/Caches/WebKit — with links
# to folders outside the home that hold what those libraries write (a settings backend's runtime
# file, a shader cache, a plugin registry, the engine's salts, caches and cookies). The desktop has no runtime folder, the case where the libraries fall back on the
# desktop user's home. Each road must still be played to its end, and nothing outside the home
# may change: the outside folders and the desktop user's home keep every file's bytes and mode,
# get no new entry, and no folder of theirs is changed (a file made and removed again, as orc's
# code file is, shows in its folder's time).
#   scripts/linked-home-test.sh <build dir>
# Exit status: 0 passed, 1 failed, 77 skipped (no client or sample service in the build dir, or
# no GStreamer playbin for the video).
set -uo pipefail
build=${1:?build dir}
cd "$(dirname "$0")/.."
build=$(cd "$build" && pwd)

test_name=linked-home
source scripts/home-test-setup.sh

# The folders replaced, and the outside folder each link leads to.
folders=(Library Library/Caches Library/XDG Library/Caches/XDG Library/WebKit Library/Caches/WebKit)
outside_of() { echo "$work/outside/${1//\//-}"; }

# What the libraries would write there, by the folder they are given: the cache home, the data
# home, the engine's data and cache folders.
plant_cache_home() {
  mkdir -p "$1/dconf" "$1/mesa_shader_cache/ab" "$1/gstreamer-1.0" "$1/pulse" "$1/runtime"
  printf 'the desktop user'"'"'s settings' > "$1/dconf/user"
  printf 'index' > "$1/mesa_shader_cache/index"
  printf 'shader' > "$1/mesa_shader_cache/ab/cdef"
  printf 'registry' > "$1/gstreamer-1.0/registry.x86_64.bin"
  printf 'registry' > "$1/gstreamer-1.0/registry.bin"
}
plant_data_home() {
  mkdir -p "$1/wpe/storage" "$1/wpe/deviceidhashsalts/1"
  printf 'salt' > "$1/wpe/storage/salt"
}
plant_engine() {
  mkdir -p "$1/WebKitCache/Version 16/Records" "$1/databases/indexeddb"
  printf 'salt' > "$1/WebKitCache/Version 16/salt"
  printf 'cookies' > "$1/cookies.sqlite"
  printf 'hsts' > "$1/hsts-storage.sqlite"
}
plant_cache_home "$(outside_of Library/Caches/XDG)"
plant_data_home "$(outside_of Library/XDG)"
plant_engine "$(outside_of Library/WebKit)"
plant_engine "$(outside_of Library/Caches/WebKit)"
for at in "$(outside_of Library/Caches)" "$(outside_of Library)/Caches"; do
  plant_cache_home "$at/XDG"
  plant_engine "$at/WebKit"
done
plant_data_home "$(outside_of Library)/XDG"
plant_engine "$(outside_of Library)/WebKit"
desktop="$work/desktop"
mkdir -p "$desktop/.config" "$desktop/.cache" "$desktop/.local/share"
printf 'the desktop user'"'"'s own' > "$desktop/notes.txt"
chmod -R go-w "$work/outside" "$desktop"

# Every entry's kind, mode, size and time, and each file's bytes.
listing() {
  find "$work/outside" "$desktop" -printf '%y %m %s %T@ %p\n' | sort
  find "$work/outside" "$desktop" -type f -exec md5sum {} + | sort
}
before=$(listing)

# Whether a folder above `folder` in `home` is a link now (the loop never works through one; the
# client only ever turns links into folders).
below_link() {
  local home=$1 folder=$2 at=$1 part
  IFS=/ read -ra parts <<< "$folder"
  for part in "${parts[@]:0:${#parts[@]}-1}"; do
    at="$at/$part"
    [ -L "$at" ] && return 0
  done
  return 1
}

# Replaces each folder by a link, again and again, until the road is done (its home is removed
# once the client has ended): a real folder is renamed aside (the client then finds a link where
# its folder was), a link the client set aside is put back. The number of links put in place
# goes to the file `count`.
tamper() {
  local home=$1 log=$2 count=$3 round=0 links=0
  while :; do
    round=$((round + 1))
    for folder in "${folders[@]}"; do
      grep -q '^zureader: \(replay \(done\|failed\)\|ended\)' "$log" && break 2
      local at="$home/$folder"
      below_link "$home" "$folder" && continue
      if [ -d "$at" ] && [ ! -L "$at" ]; then
        mv "$at" "$at.moved-$round" 2> /dev/null
      fi
      [ -L "$at" ] || { ln -s "$(outside_of "$folder")" "$at" 2> /dev/null && links=$((links + 1)); }
      sleep 0.1
    done
  done
  echo "$links" > "$count"
}

for road in article video; do
  rm -rf "$work/tmp"
  mkdir -p "$work/tmp"
  # run-sample.sh makes the client's home in a folder of its own under $TMPDIR.
  env -u XDG_RUNTIME_DIR -u XDG_CACHE_HOME -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$desktop" TMPDIR="$work/tmp" \
    bash scripts/run-sample.sh "$build" --headless --quit-after-replay --quit-after 120 \
    --replay "scripts/run/$road.replay" > "$work/$road.log" 2>&1 &
  run=$!
  # The tampering starts once the client has launched and its home grid shows (the road's first
  # tap is played): a home whose preferences went aside before they were read starts with the
  # first-run guide, not on the road.
  for _ in $(seq 600); do
    grep -q '^zureader: replay line [0-9]*: tap' "$work/$road.log" && break
    kill -0 "$run" 2> /dev/null || break
    sleep 0.1
  done
  home=$(find "$work/tmp" -mindepth 2 -maxdepth 2 -name home -type d 2> /dev/null | head -n 1)
  if [ -z "$home" ] || ! grep -q '^zureader: replay line [0-9]*: tap' "$work/$road.log"; then
    fail "$road: the client did not reach its home grid: $(grep -v 'replay line' "$work/$road.log")"
    wait "$run"
    continue
  fi
  tamper "$home" "$work/$road.log" "$work/$road.links" &
  tampering=$!
  wait "$run"
  status=$?
  wait "$tampering"
  links=$(cat "$work/$road.links")
  [ "$links" -ge "${#folders[@]}" ] || fail "$road: only $links links were put in the home while the client ran"
  if [ "$status" -ne 0 ] || ! grep -q '^zureader: replay done' "$work/$road.log"; then
    fail "$road: the road was not played to its end (status $status): $(grep -v 'replay line' "$work/$road.log")"
  fi
done

after=$(listing)
if [ "$before" != "$after" ]; then
  fail "outside the home: $(diff <(echo "$before") <(echo "$after"))"
fi
[ "$failures" -eq 0 ] && echo "linked-home-test: passed ($(cat "$work/article.links") and $(cat "$work/video.links") links put in the home)"
[ "$failures" -eq 0 ]
