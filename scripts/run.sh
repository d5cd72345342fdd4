#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts them on the virtual instrument.
# With VELKARO_BUILD_ONLY=1 it stops after the build (CI, where no one is there to use them).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# Every option of the folder is given, whoever configured it last, so that running this after
# scripts/test.sh (or again) builds nothing that is already built.
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVELKARO_TESTS=OFF -DVELKARO_BENCH=OFF -DVELKARO_SANITIZE= >/dev/null
cmake --build build/release -j "$(nproc)"

program=build/release/app/program/velkaro
if [ "${VELKARO_BUILD_ONLY:-0}" = 1 ]; then
  [ -x "$program" ] || { echo "run: $program was not built" >&2; exit 1; }
  echo "run: built $program (not started: VELKARO_BUILD_ONLY=1)"
  exit 0
fi

# Press "Подключиться" and double-click "Demo" > its device to see the virtual instrument live.
exec "$program" --demo "$@"
