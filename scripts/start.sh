#!/usr/bin/env bash
# Installs what is missing, builds Kelvane and kelvane-cli, says where they are and starts Kelvane.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DBUILD_TESTING=OFF -DKELVANE_BENCH=OFF >/dev/null
cmake --build build --target kelvane kelvane-cli -j"$(nproc)"
echo "start: the window is build/main/kelvane, the command line build/cli/kelvane-cli"
# Kelvane looks for its help file, Kelvane.HLP, in the current folder.
exec ./build/main/kelvane "$@"
