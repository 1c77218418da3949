#!/usr/bin/env bash
# Test of what another program may put in the client's home, before the client starts and while
# it runs (the home may lie on a shared or synced folder), where the libraries under the client
# would look for code and caches of the user's: a shared library in GStreamer's user plugin
# folder (Library/XDG/gstreamer-1.0/plugins, when the client gave GStreamer Library/XDG as its
# data home), fontconfig's caches (copies of the system's, newer than them: fontconfig takes the
# newest), GLib's compiled settings schemas and the type database. And the temporary files of
# the client's own naming that a killed run leaves (a store's partial own copy, the preferences'
# new bytes, a picture not yet in place), beside files that only look like them.
#
# The video road is played (the movie player plays the film, so GStreamer scans its plugins with
# its scanner process; the article's page brings the engine's processes): the planted library is
# never loaded (it leaves a mark when it is, in any process), no planted cache, schema or type
# database is opened (its access time stays, checked where the file system keeps access times),
# the road is played to its end, and the desktop user's home stays as it was. At launch the
# leftover temporaries are removed and logged, and only they; the libraries' folder of the run
# is gone once the client has ended.
#   scripts/planted-home-test.sh <build dir>
# Exit status: 0 passed, 1 failed, 77 skipped (no client, sample service or planted library in
# the build dir, or no GStreamer playbin for the video).
set -uo pipefail
build=${1:?build dir}
cd "$(dirname "$0")/.."
build=$(cd "$build" && pwd)

test_name=planted-home
source scripts/home-test-setup.sh
plugin="$build/src/testing/libgstzuplanted.so"
[ -f "$plugin" ] || skip "no planted library in $build"

home="$work/home"
plugins="$home/Library/XDG/gstreamer-1.0/plugins"
mark="$work/mark"
mkdir -p "$plugins" "$home/Library/Caches/XDG/fontconfig" "$home/Library/XDG/glib-2.0/schemas" "$home/Library/XDG/mime"
cp "$plugin" "$plugins/libgstzuplanted.so"
planted=()
for cache in /var/cache/fontconfig/*.cache-*; do
  [ -f "$cache" ] || continue
  cp "$cache" "$home/Library/Caches/XDG/fontconfig/"
  planted+=("$home/Library/Caches/XDG/fontconfig/$(basename "$cache")")
done
for file in /usr/share/glib-2.0/schemas/gschemas.compiled:glib-2.0/schemas /usr/share/mime/mime.cache:mime; do
  [ -f "${file%%:*}" ] || continue
  cp "${file%%:*}" "$home/Library/XDG/${file##*:}/"
  planted+=("$home/Library/XDG/${file##*:}/$(basename "${file%%:*}")")
done
# Left by a killed run, and what only looks like it (kept).
leftovers=(Documents/userEntry/.userSubscribe.db.own.Ab12Cd Library/Preferences/.zureader.plist.tmp.x9Y8z7
           Library/Caches/.log.txt.own.000000 SavedPhotos/.IMG_0001.png.part.Qw3Er4 tmp/feedback-Zx81Qa/log.zip)
lookalikes=(Documents/userEntry/.userSubscribe.db.own.Ab12C Documents/userEntry/userSubscribe.db.own.Ab12Cd
            Library/Preferences/.zureader.plist.bak.x9Y8z7 tmp/feedback-Zx81Qb/log.zip tmp/feedback-Zx81Qb/notes)
for file in "${leftovers[@]}" "${lookalikes[@]}"; do
  mkdir -p "$(dirname "$home/$file")"
  printf 'partial' > "$home/$file"
done

# Whether this file system keeps access times: a file read after its access time was set back
# shows the read.
probe="$work/probe"
printf 'probe' > "$probe"
touch -a -d '2001-01-01' "$probe"
cat "$probe" > /dev/null
atimes=1
[ "$(stat -c %X "$probe")" -gt "$(date -d '2002-01-01' +%s)" ] || atimes=0
[ "${#planted[@]}" -gt 0 ] && touch -a -d '2001-01-01' "${planted[@]}"

desktop="$work/desktop"
mkdir -p "$desktop/.config" "$desktop/.cache" "$desktop/.local/share" "$work/tmp"
printf 'the desktop user'"'"'s own' > "$desktop/notes.txt"
listing() {
  find "$desktop" -printf '%y %m %s %T@ %p\n' | sort
  find "$desktop" -type f -exec md5sum {} + | sort
}
before=$(listing)

log="$work/video.log"
env -u XDG_RUNTIME_DIR -u XDG_CACHE_HOME -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u GST_PLUGIN_SYSTEM_PATH \
  -u GST_PLUGIN_SYSTEM_PATH_1_0 -u GST_PLUGIN_PATH -u GST_PLUGIN_PATH_1_0 \
  HOME="$desktop" TMPDIR="$work/tmp" ZU_RUN_HOME="$home" ZU_PLANTED_MARK="$mark" \
  bash scripts/run-sample.sh "$build" --headless --quit-after-replay --quit-after 120 \
  --replay scripts/run/video.replay > "$log" 2>&1 &
run=$!
# Planted again once the client runs, before the film plays: at its first tap (waited for as
# long as the client runs; its --quit-after bounds it).
while kill -0 "$run" 2> /dev/null; do
  grep -q '^zureader: replay line [0-9]*: tap' "$log" && break
  sleep 0.1
done
grep -q '^zureader: replay line [0-9]*: tap' "$log" || fail "the client did not reach its home grid"
cp "$plugin" "$plugins/libgstzuplanted-late.so"
wait "$run"
status=$?

if [ "$status" -ne 0 ] || ! grep -q '^zureader: replay done' "$log"; then
  fail "the road was not played to its end (status $status): $(grep -v 'replay line' "$log")"
fi
[ -e "$mark" ] && fail "the planted library was loaded, by process(es) $(tr '\n' ' ' < "$mark")"
if [ "$atimes" -eq 1 ]; then
  for file in "${planted[@]}"; do
    [ "$(stat -c %X "$file")" -lt "$(date -d '2002-01-01' +%s)" ] || fail "opened: ${file#"$home"/}"
  done
else
  echo "planted-home-test: this file system keeps no access times: planted caches not checked"
fi
for file in "${leftovers[@]}"; do
  [ -e "$home/$file" ] && fail "left in the home: $file"
  grep -qF "removed $home/$(sed 's|^tmp/\(feedback-[^/]*\)/.*|tmp/\1|' <<< "$file")" "$home/Library/Caches/log.txt" ||
    fail "not logged: $file"
done
for file in "${lookalikes[@]}"; do
  [ "$(cat "$home/$file" 2> /dev/null)" = partial ] || fail "removed: $file"
done
[ -z "$(find "$work/tmp" -maxdepth 1 -name 'zureader-*')" ] || fail "the libraries' folder is left: $(ls "$work/tmp")"
after=$(listing)
[ "$before" = "$after" ] || fail "in the desktop user's home: $(diff <(echo "$before") <(echo "$after"))"
[ "$failures" -eq 0 ] && echo "planted-home-test: passed (${#planted[@]} caches planted)"
[ "$failures" -eq 0 ]
