#!/usr/bin/env bash
# Keeps docs/pictures.md true: compares the pictures it lists with the PNG files the test runs
# left in the build folders' snapshots/ folders, both ways, and fails on a picture the list lacks
# or a listed picture that no run wrote.
#   scripts/check-pictures.sh [--since FILE] BUILD_DIR...
# The list's pictures are the backticked paths ending in .png in the first column of its table,
# relative to the build folder; "{a,b}" in a path stands for each of its names.
# --since FILE counts only pictures written after FILE was (so pictures an earlier run left
# behind do not count); without it every picture in the folders counts.
# $PICTURES_LIST names another list (the script's own test uses it).
# Exit status: 0 the list and the pictures agree, 1 they differ (the differences are printed),
# 2 wrong use.
set -euo pipefail
cd "$(dirname "$0")/.."
list=${PICTURES_LIST:-docs/pictures.md}

since=()
if [ "${1:-}" = --since ]; then
  [ -e "${2:-}" ] || { echo "check-pictures: --since needs an existing file" >&2; exit 2; }
  since=(-newer "$2")
  shift 2
fi
[ $# -gt 0 ] || { echo "usage: scripts/check-pictures.sh [--since FILE] BUILD_DIR..." >&2; exit 2; }
[ -f "$list" ] || { echo "check-pictures: no list $list" >&2; exit 2; }

# Every name a path with "{a,b}" groups stands for, one a line; the groups are expanded here,
# never by the shell, so a list line cannot run anything.
expand() {
  local path=$1
  if [[ "$path" =~ ^([^{]*)\{([^{}]*)\}(.*)$ ]]; then
    local head=${BASH_REMATCH[1]} group=${BASH_REMATCH[2]} tail=${BASH_REMATCH[3]} choice choices
    IFS=, read -ra choices <<< "$group"
    # An empty choice at the end ("{a,}") counts too, as one at the start ("{,a}") does.
    [[ "$group" == *, ]] && choices+=("")
    for choice in "${choices[@]}"; do expand "$head$choice$tail"; done
  else
    printf '%s\n' "$path"
  fi
}

listed=$(mktemp)
written=$(mktemp)
trap 'rm -f "$listed" "$written"' EXIT

# The first column of the table's rows: "| `a.png`, `b.png` | ... |".
while IFS= read -r cell; do
  grep -o '`[^`]*\.png`' <<< "$cell" | tr -d '`' | while IFS= read -r path; do expand "$path"; done
done < <(sed -n 's/^|\([^|]*\.png[^|]*\)|.*/\1/p' "$list") | sort -u > "$listed"
[ -s "$listed" ] || { echo "check-pictures: $list lists no pictures" >&2; exit 2; }

for build in "$@"; do
  [ -d "$build" ] || { echo "check-pictures: no build folder $build" >&2; exit 2; }
  (cd "$build" && find . -path '*/snapshots/*' -name '*.png' "${since[@]}" -printf '%P\n')
done | sort -u > "$written"

unlisted=$(comm -13 "$listed" "$written")
unwritten=$(comm -23 "$listed" "$written")
status=0
if [ -n "$unlisted" ]; then
  echo "check-pictures: written by the tests but not in $list:"
  sed 's/^/  /' <<< "$unlisted"
  status=1
fi
if [ -n "$unwritten" ]; then
  echo "check-pictures: in $list but written by no run in $*:"
  sed 's/^/  /' <<< "$unwritten"
  status=1
fi
[ "$status" -eq 0 ] && echo "check-pictures: the $(wc -l < "$listed") pictures in $list are the ones the runs wrote"
exit "$status"
