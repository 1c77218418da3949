#!/usr/bin/env bash
# Keeps the road list of scripts/run/README.md true: every road in scripts/run/ has a row, every
# row's road exists, and each row's screen (the backticked class in its last column) is the one
# the road's last "expect screen" step checks.
#   scripts/check-road-list.sh [ROADS_DIR]
# A row may name a numbered run of roads, "`name-1.replay` … `name-6.replay`": each road from the
# first number to the last. Exit status: 0 the list and the roads agree, 1 they differ (the
# differences are printed), 2 wrong use.
set -uo pipefail
cd "$(dirname "$0")/.."
roads=${1:-scripts/run}
list="$roads/README.md"
[ -f "$list" ] || { echo "check-road-list: no list $list" >&2; exit 2; }

declare -A screen_of
problems=()
# The table's rows: "| `road.replay` | what it does | the screen (`Class`) |".
while IFS= read -r row; do
  IFS='|' read -r _ names _ ends _ <<< "$row"
  class=$(grep -o '`[A-Za-z_][A-Za-z0-9_]*`' <<< "$ends" | tail -n 1 | tr -d '`')
  mapfile -t named < <(grep -o '`[^`]*\.replay`' <<< "$names" | tr -d '`')
  if [ "${#named[@]}" -eq 2 ] && [[ "$names" == *…* ]] &&
    [[ "${named[0]}" =~ ^(.*-)([0-9]+)\.replay$ ]] && first=${BASH_REMATCH[2]} stem=${BASH_REMATCH[1]} &&
    [[ "${named[1]}" =~ ^(.*-)([0-9]+)\.replay$ ]] && [ "${BASH_REMATCH[1]}" = "$stem" ]; then
    last=${BASH_REMATCH[2]}
    named=()
    for ((n = first; n <= last; n++)); do named+=("$stem$n.replay"); done
  fi
  for name in "${named[@]}"; do
    screen_of[$name]=$class
  done
done < <(grep '^| `[^`]*\.replay`' "$list")
[ "${#screen_of[@]}" -gt 0 ] || { echo "check-road-list: $list lists no roads" >&2; exit 2; }

for road in "$roads"/*.replay; do
  name=$(basename "$road")
  [ -n "${screen_of[$name]+listed}" ] || problems+=("$name is not in $list")
done
for name in "${!screen_of[@]}"; do
  road="$roads/$name"
  if [ ! -f "$road" ]; then
    problems+=("$name is listed in $list but is not in $roads")
    continue
  fi
  class=${screen_of[$name]}
  checked=$(sed -n 's/^[[:space:]]*expect[[:space:]]\{1,\}screen[[:space:]]\{1,\}\([^[:space:]]*\).*/\1/p' "$road" | tail -n 1)
  if [ -z "$class" ]; then
    problems+=("$name: its row names no screen")
  elif [ "$checked" != "$class" ]; then
    problems+=("$name: the list says it ends on $class, its last expect screen checks ${checked:-nothing}")
  fi
done

if [ "${#problems[@]}" -gt 0 ]; then
  printf 'check-road-list: %s\n' "${problems[@]}" | sort
  exit 1
fi
echo "check-road-list: the ${#screen_of[@]} roads in $list are the ones in $roads, each ending on its screen"
