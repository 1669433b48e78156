#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test twice: once in the normal build and once
# built with AddressSanitizer and UndefinedBehaviorSanitizer; then runs each fuzz target for a
# short time. Ends with one summary line.
set -uo pipefail
cd "$(dirname "$0")/.."

started=$SECONDS
phase_started=$SECONDS
# phase_done <what>: prints how long the phase took, for the record of where the time goes.
phase_done() {
  echo "=== time: $1 took $((SECONDS - phase_started)) s"
  phase_started=$SECONDS
}

bash scripts/install-deps.sh || { echo "Installing the dependencies failed"; exit 1; }
phase_done "installing"

total_passed=0
total_failed=0

# Compiled objects are kept between runs (ccache): a run after a small change rebuilds little.
# Paths below the checkout count relative to it, so that another clone finds them too.
if command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
  export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=1
fi

run_suite() {  # run_suite <label> <build-dir> [CMake arguments...]
  local label=$1 dir=$2
  shift 2
  echo "=== ${label}: building in ${dir}"
  if ! bash scripts/build.sh "$dir" "$@"; then
    echo "=== ${label}: the build failed"
    total_failed=$((total_failed + 1))
    return
  fi
  phase_done "${label}: building"
  echo "=== ${label}: running the tests"
  local log="${dir}/ctest.log"
  # Every test carries one tier label; a test without one would hide from `ctest -L`.
  local unlabelled
  unlabelled=$(cd "$dir" && ctest -N -LE '^(unit|sim|gui|e2e|install)$' | grep -cE '^ +Test +#')
  if [ "$unlabelled" -ne 0 ]; then
    echo "=== ${label}: ${unlabelled} tests carry no tier label"
    total_failed=$((total_failed + unlabelled))
  fi
  # A failing test fails the run the first time: a flaky test is a fault to find.
  (cd "$dir" && ctest --output-on-failure -j "$(nproc)" --timeout 300) 2>&1 | tee "$log"
  phase_done "${label}: testing"
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

# Fuzz targets (libFuzzer, built with clang apart from the main build): each runs for a short,
# bounded time on its corpus in fuzz/corpus/<target>/ and counts as one test. New inputs go to a
# scratch folder, so the corpus in the repository stays as it is.
run_fuzz() {  # run_fuzz <build-dir> <seconds>
  local dir=$1 seconds=$2 cxx
  cxx=$(command -v clang++-14 || command -v clang++)
  echo "=== fuzz targets: building in ${dir}"
  if ! { cmake -S fuzz -B "$dir" -G Ninja -DCMAKE_CXX_COMPILER="$cxx" >/dev/null &&
         cmake --build "$dir" -j "$(nproc)"; }; then
    echo "=== fuzz targets: the build failed"
    total_failed=$((total_failed + 1))
    return
  fi
  local target scratch
  for target in regfile namefold; do
    scratch=$(mktemp -d)
    echo "=== fuzz target ${target}: ${seconds} s"
    if "${dir}/fuzz_${target}" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="${dir}/${target}-" "$scratch" "fuzz/corpus/${target}" \
        >"${dir}/${target}.log" 2>&1; then
      grep -E '^(Done|stat::number_of_executed_units)' "${dir}/${target}.log" | head -n 1
      total_passed=$((total_passed + 1))
    else
      tail -n 30 "${dir}/${target}.log"
      echo "=== fuzz target ${target}: FAILED (the input is in ${dir}/${target}-*)"
      total_failed=$((total_failed + 1))
    fi
    rm -rf "$scratch"
  done
}

# Our own builds treat warnings as errors; a packager's or a user's build leaves them warnings.
# The normal tree is optimised as a release is, without debug information (a failure's stack is
# read in the sanitizer tree), and builds file by file, so that a file that lacks an include of
# its own fails here. The sanitizer tree keeps its debug information and compiles each target's
# files together (a unity build): the same code, in about half the time.
run_suite "normal build" build -DCMAKE_BUILD_TYPE=Release "-DCMAKE_CXX_FLAGS_RELEASE=-O2 -DNDEBUG" \
  -DQUILLON_WERROR=ON
run_suite "sanitizer build" build-asan -DCMAKE_BUILD_TYPE=Debug -DQUILLON_SANITIZE=ON -DQUILLON_BUILD_BENCH=OFF \
  -DCMAKE_UNITY_BUILD=ON -DCMAKE_UNITY_BUILD_BATCH_SIZE=16 -DQUILLON_WERROR=ON
run_fuzz build-fuzz 20
phase_done "fuzzing"

echo
echo "=== time: the whole run took $((SECONDS - started)) s"
echo "Total: ${total_passed} passed, ${total_failed} failed"
[ "$total_failed" -eq 0 ]
