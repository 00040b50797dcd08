#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each on a copy of its seed corpus.
#   FUZZ_SECONDS    how long each target runs (default 30)
#   FUZZ_BUILD_DIR  build folder (default: build-fuzz)
# A crash, leak or timeout fails the script; its reproducer is kept in the build folder under
# fuzz-artifacts/. New inputs found on the way go to a temporary folder, never into the repo.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
build_dir=${FUZZ_BUILD_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-30}

cmake -S . -B "$build_dir" -DCMAKE_CXX_COMPILER=clang++ -DKELVANE_GUI=OFF -DBUILD_TESTING=OFF \
  -DKELVANE_BENCH=OFF -DKELVANE_FUZZ=ON -DKELVANE_WERROR=ON >/dev/null
cmake --build "$build_dir" -j"$(nproc)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts="$build_dir/fuzz-artifacts"
mkdir -p "$artifacts"

for corpus in fuzz/corpus/*/; do
  name=$(basename "$corpus")
  target="$build_dir/fuzz/${name}_fuzzer"
  cp -r "$corpus" "$work/$name"
  dict=()
  [ -f "fuzz/$name.dict" ] && dict=(-dict="fuzz/$name.dict")
  echo "fuzz: ${name}_fuzzer for ${seconds}s"
  "$target" "$work/$name" "${dict[@]}" -max_total_time="$seconds" -timeout=10 \
    -artifact_prefix="$artifacts/${name}-" -print_final_stats=1
  echo "fuzz: ${name}_fuzzer found nothing in ${seconds}s"
done
