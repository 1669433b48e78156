#!/usr/bin/env bash
# Configures and builds one tree: scripts/build.sh <build-dir> [extra CMake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
