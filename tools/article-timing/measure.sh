#!/usr/bin/env bash
# Times the first article's text after the tap and weighs the web engine's processes: five runs
# of the client against the sample service (zu-article-timing). The client needs a window for an
# interactive run; without a display this runs itself again under xvfb-run.
#   tools/article-timing/measure.sh [build dir, default build/release] [zu-article-timing options]
set -euo pipefail
cd "$(dirname "$0")/../.."
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 640x960x24" "$0" "$@"
fi
build=${1:-build/release}
[ $# -gt 0 ] && shift
cmake --build "$build" --target zureader zu-sample-service zu-article-timing >/dev/null
exec "$build/tools/article-timing/zu-article-timing" \
  --app "$build/src/app/zureader" --service "$build/tools/sample-service/zu-sample-service" \
  --replay tools/article-timing/article.replay "$@"
