#!/usr/bin/env bash
# Prints which source folders include which, and fails when a folder includes one that
# sits above it. The folders are layered bottom to top; a folder may include itself and
# the folders below it only, so the graph can have no cycle.
set -euo pipefail
cd "$(dirname "$0")/.."
layers=(surfaces textfiles i18n formats images layout skins app cli dialogs view program)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done

status=0
for from in "${layers[@]}"; do
  [ -d "src/$from" ] || continue
  # "folder/File.h" includes, counted per included folder.
  included=$(grep -rhoE '^#include "[a-z0-9]+/' "src/$from" | sed -E 's/#include "//; s#/##' |
    { grep -vx "$from" || true; })
  edges=$(printf '%s\n' $included | sort | uniq -c | awk 'NF == 2 {printf "%s(%s) ", $2, $1}')
  echo "$from -> ${edges:-nothing}"
  for to in $(printf '%s\n' $included | sort -u); do
    if [ -z "${rank[$to]+x}" ]; then
      echo "  src/$from includes src/$to, which has no place in the layers" >&2
      status=1
    elif [ "${rank[$to]}" -gt "${rank[$from]}" ]; then
      echo "  src/$from includes src/$to, which sits above it:" >&2
      grep -rn "^#include \"$to/" "src/$from" | sed 's/^/    /' >&2
      status=1
    fi
  done
done
for dir in src/*/; do
  name=$(basename "$dir")
  [ -n "${rank[$name]+x}" ] || { echo "src/$name has no place in the layers" >&2; status=1; }
done
exit $status
