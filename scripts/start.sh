#!/usr/bin/env bash
# Installs what is missing, builds Kelvane and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DBUILD_TESTING=OFF -DKELVANE_BENCH=OFF >/dev/null
cmake --build build --target kelvane -j"$(nproc)"
# Kelvane looks for its help file, Kelvane.HLP, in the current folder.
exec ./build/main/kelvane "$@"
