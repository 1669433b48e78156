#!/usr/bin/env bash
# Checks the client's layers: a folder includes headers of the folders listed before it only, and
# quillon-update's folder includes nothing above the Widgets line. Prints each offending include
# and exits 1 when there is one.
#   check-layers.sh [SOURCE-DIR]
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root/client" || exit 2

core=(platform registry account protocol settings cycle)
widgets=(desktop resources diagnostics login main)
order=("${core[@]}" "${widgets[@]}" update)

declare -A rank
for i in "${!order[@]}"; do rank[${order[$i]}]=$i; done
for folder in */; do
  folder=${folder%/}
  [ -n "${rank[$folder]+x}" ] || { echo "client/$folder is not a known layer"; exit 1; }
done

bad=0
for folder in "${order[@]}"; do
  limit=${rank[$folder]}
  [ "$folder" = update ] && limit=$((${#core[@]} - 1))
  while IFS=: read -r file line include; do
    target=${include#*\"}
    target=${target%%/*}
    [ -n "${rank[$target]+x}" ] || continue
    [ "$target" = "$folder" ] && continue
    if [ "${rank[$target]}" -gt "$limit" ]; then
      echo "client/$file:$line: $folder may not include ${include#*#include }"
      bad=1
    fi
  done < <(grep -nE '^[[:space:]]*#[[:space:]]*include "[a-z]+/' "$folder"/*.cpp "$folder"/*.h 2>/dev/null)
done
[ "$bad" -eq 0 ] && echo "layers: every include points to an earlier folder"
exit "$bad"
