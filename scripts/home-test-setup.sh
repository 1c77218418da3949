# The common start of the tests that play roads in a home another program tampers with
# (linked-home-test.sh, planted-home-test.sh), sourced once `test_name` and `build` (absolute)
# are set: skip() (exit 77, noted for `make test-release`'s count of skipped tests), fail()
# (counted in $failures), the client and the sample service of the build, a scratch folder $work
# removed on exit, and GStreamer's playbin for the video road.
skip() {
  echo "$test_name-test: skipped: $1"
  [ -z "${ZU_SKIPPED_LOG:-}" ] || echo "$test_name-test.sh $test_name: $1" >> "$ZU_SKIPPED_LOG"
  exit 77
}
[ -x "$build/src/app/zureader" ] && [ -x "$build/tools/sample-service/zu-sample-service" ] ||
  skip "no client or sample service in $build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# GStreamer's registry of the check goes into the scratch folder, not the desktop user's cache.
XDG_CACHE_HOME="$work" gst-inspect-1.0 --exists playbin 2> /dev/null || skip "GStreamer's playbin is not installed"
rm -rf "$work/gstreamer-1.0"
failures=0
fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}
