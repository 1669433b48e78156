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
# One run over every file; each finding names its file first.
mapfile -t bad < <("$format" --dry-run -Werror "${files[@]}" 2>&1 |
                   sed -nE 's/^([^:]+):[0-9]+:[0-9]+: (error|warning):.*/\1/p' | sort -u)
if [ "${#bad[@]}" -gt 0 ]; then
  printf 'not formatted: %s\n' "${bad[@]}"
  echo "run: cmake --build <build-dir> --target format"
  exit 1
fi
echo "format: ${#files[@]} files formatted"
