#!/usr/bin/env bash
# Test of scripts/check-pictures.sh on a made-up build folder and list: agreeing, a picture the
# list lacks, a listed picture no run wrote, pictures older than --since, and list text that must
# not be run or globbed by the shell.
set -uo pipefail
cd "$(dirname "$0")/.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}

# Runs the check with the list in $work/list.md; sets $out and $status.
check() {
  out=$(PICTURES_LIST="$work/list.md" bash scripts/check-pictures.sh "$@" 2>&1)
  status=$?
}

mkdir -p "$work/build/src/a/snapshots" "$work/build/src/b/snapshots" "$work/other/src/c/snapshots"
touch "$work/build/src/a/snapshots/"{one,cell-x-day,cell-x-night,cell-y-day,cell-y-night,link,link-hi}.png
touch "$work/other/src/c/snapshots/two.png"
# Not pictures of a snapshots folder: never counted.
touch "$work/build/src/b/picture.png" "$work/build/src/b/snapshots/notes.txt"

cat > "$work/list.md" <<'EOF'
| picture | what it shows | drawn by |
| --- | --- | --- |
| `src/a/snapshots/one.png` | one | `OneTest` with `inline.png` in the last column, not a picture |
| `src/a/snapshots/cell-{x,y}-{day,night}.png` | cells | `CellTest` |
| `src/a/snapshots/link{,-hi}.png`, `src/c/snapshots/two.png` | two in one row | `LinkTest` |
EOF
check "$work/build" "$work/other"
[ "$status" -eq 0 ] || fail "an agreeing list and folders: status $status: $out"
[[ "$out" == *"the 8 pictures"* ]] || fail "the count of agreeing pictures: $out"

# A picture the list lacks.
touch "$work/build/src/b/snapshots/new-one.png"
check "$work/build" "$work/other"
[ "$status" -eq 1 ] || fail "an unlisted picture: status $status"
[[ "$out" == *"not in"*"src/b/snapshots/new-one.png"* ]] || fail "the unlisted picture is named: $out"
rm "$work/build/src/b/snapshots/new-one.png"

# A listed picture no run wrote: one name of a group, and one only the second folder has.
rm "$work/build/src/a/snapshots/cell-y-night.png"
check "$work/build"
[ "$status" -eq 1 ] || fail "a picture not written: status $status"
[[ "$out" == *"written by no run"*"src/a/snapshots/cell-y-night.png"* ]] || fail "the missing group member is named: $out"
[[ "$out" == *"src/c/snapshots/two.png"* ]] || fail "the picture of the folder not given is named: $out"
[[ "$out" != *"cell-x-day"* ]] || fail "a written picture is named as missing: $out"
touch "$work/build/src/a/snapshots/cell-y-night.png"

# --since: pictures older than the stamp do not count, so a picture no longer written shows.
touch -d '1 hour ago' "$work/build/src/a/snapshots/one.png"
touch -d '30 minutes ago' "$work/stamp"
check --since "$work/stamp" "$work/build" "$work/other"
[ "$status" -eq 1 ] || fail "an old picture with --since: status $status"
[[ "$out" == *"written by no run"*"src/a/snapshots/one.png"* ]] || fail "the old picture is named: $out"
check "$work/build" "$work/other"
[ "$status" -eq 0 ] || fail "the old picture counts without --since: $out"

# List text is never run or globbed.
cat >> "$work/list.md" <<'EOF'
| `src/a/snapshots/$(touch ran).png`, `src/a/snapshots/*.png` | hostile | none |
EOF
check "$work/build" "$work/other"
[ "$status" -eq 1 ] || fail "the hostile names are listed and not written: status $status"
[ ! -e ran ] && [ ! -e "$work/ran" ] || fail "a list line ran a command"
[[ "$out" == *'src/a/snapshots/$(touch ran).png'* && "$out" == *'src/a/snapshots/*.png'* ]] ||
  fail "the hostile names are reported as written: $out"

# Wrong use.
check
[ "$status" -eq 2 ] || fail "no build folder: status $status"
check "$work/missing"
[ "$status" -eq 2 ] || fail "a missing build folder: status $status"
check --since "$work/no-stamp" "$work/build"
[ "$status" -eq 2 ] || fail "a missing --since file: status $status"

if [ "$failures" -gt 0 ]; then
  echo "check-pictures-test: $failures failed"
  exit 1
fi
echo "check-pictures-test: passed"
