#!/usr/bin/env bash
# Installs what is missing, builds the programs and starts them on the virtual instrument.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELKARO_TESTS=OFF >/dev/null
cmake --build build/release -j "$(nproc)"

# Velkaro is the instrument program; until its main window exists, Durmitt (the test tool) is
# the program there is.
if [ -x build/release/app/velkaro ]; then
  exec build/release/app/velkaro --demo "$@"
fi
echo "Velkaro's window is not built yet: starting Durmitt, the test tool, on the virtual instrument."
echo "Press \"Подключиться\" and double-click \"Demo\" > its device to run the walking-one test."
exec build/release/testtool/durmitt --demo "$@"
