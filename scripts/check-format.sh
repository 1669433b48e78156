#!/usr/bin/env bash
# Lists the C++ sources that clang-format (with the root's .clang-format) would change, and exits
# 1 when there is one. With --fix it formats them instead.
#   check-format.sh [--fix] [SOURCE-DIR]
set -uo pipefail
fix=0
if [ "${1:-}" = --fix ]; then fix=1; shift; fi
cd "${1:-$(dirname "$0")/..}" || exit 2
format=$(command -v clang-format || command -v clang-format-14) || {
  echo "clang-format is not installed"; exit 2; }
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' 2>/dev/null ||
                     find client hivekit service tools tests bench fuzz -name '*.cpp' -o -name '*.h')
if [ "$fix" -eq 1 ]; then
  "$format" -i "${files[@]}"
  exit 0
fi
bad=0
for f in "${files[@]}"; do
  if ! "$format" --dry-run -Werror "$f" >/dev/null 2>&1; then
    echo "not formatted: $f"
    bad=1
  fi
done
[ "$bad" -eq 0 ] && echo "format: ${#files[@]} files formatted"
exit "$bad"
