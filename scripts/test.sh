#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: once in the normal build and once
# built with AddressSanitizer and UndefinedBehaviorSanitizer. Ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh || { echo "Installing the dependencies failed"; exit 1; }

total_passed=0
total_failed=0

run_suite() {  # run_suite <label> <build-dir> [CMake arguments...]
  local label=$1 dir=$2
  shift 2
  echo "=== ${label}: building in ${dir}"
  if ! bash scripts/build.sh "$dir" "$@"; then
    echo "=== ${label}: the build failed"
    total_failed=$((total_failed + 1))
    return
  fi
  echo "=== ${label}: running the tests"
  local log="${dir}/ctest.log"
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)" --timeout 300) 2>&1 | tee "$log"
  local line
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1)
  if [ -z "$line" ]; then
    echo "=== ${label}: ctest printed no summary"
    total_failed=$((total_failed + 1))
    return
  fi
  local failed total
  failed=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/')
  total=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/')
  total_passed=$((total_passed + total - failed))
  total_failed=$((total_failed + failed))
}

run_suite "normal build" build -DCMAKE_BUILD_TYPE=RelWithDebInfo
run_suite "sanitizer build" build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON -DQUILLON_BUILD_BENCH=OFF

echo
echo "Total: ${total_passed} passed, ${total_failed} failed"
[ "$total_failed" -eq 0 ]
