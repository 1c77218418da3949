#!/usr/bin/env bash
# Keeps README.md a first page for a new reader: under 8,000 characters (what it leaves out lives
# in docs/ and scripts/run/README.md, which it links), and every file it links to is there.
#   scripts/check-readme.sh [README]
# Exit status: 0 it holds, 1 it does not (the reasons are printed).
set -uo pipefail
cd "$(dirname "$0")/.."
readme=${1:-README.md}
limit=8000
status=0
chars=$(LC_ALL=C.UTF-8 wc -m < "$readme")
if [ "$chars" -ge "$limit" ]; then
  echo "check-readme: $readme has $chars characters, $limit or more: move details to docs/"
  status=1
fi
# Relative links, "[text](path)" and "[text](path#part)".
while IFS= read -r target; do
  file=${target%%#*}
  [ -n "$file" ] || continue
  [ -e "$(dirname "$readme")/$file" ] || { echo "check-readme: $readme links to $file, which is missing"; status=1; }
done < <(grep -o '](\([^)]*\))' "$readme" | sed 's/^](\(.*\))$/\1/' | grep -v '^[a-z]*:')
[ "$status" -ne 0 ] || echo "check-readme: $readme has $chars characters and its links are there"
exit "$status"
