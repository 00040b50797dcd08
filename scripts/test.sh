#!/usr/bin/env bash
# Installs what is missing, builds Kelvane with its tests and runs every test.
#   BUILD_DIR   build folder (default: build)
#   CMAKE_ARGS  extra arguments for the configure step
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${BUILD_DIR:-build}
extra=()
[ "${CI:-}" = true ] && extra+=(-DKELVANE_WERROR=ON)
# shellcheck disable=SC2206
extra+=(${CMAKE_ARGS:-})
cmake -S . -B "$build_dir" -DBUILD_TESTING=ON "${extra[@]}" >/dev/null
cmake --build "$build_dir" -j"$(nproc)"
ctest --test-dir "$build_dir" --output-on-failure -j"$(nproc)"
