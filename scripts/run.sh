#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts them on the virtual instrument.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKARO_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

# Press "Подключиться" and double-click "Demo" > its device to see the virtual instrument live.
exec build/release/app/program/velkaro --demo "$@"
