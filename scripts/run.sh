#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts them on the virtual instrument.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/release -j "$(nproc)"

for program in build/release/testtool/durmitt build/release/app/velkaro; do
  if [ -x "$program" ]; then
    exec "$program" --demo "$@"
  fi
done
echo "Built. Neither program exists yet: so far the project holds the instrument core and its tests."
