#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test headless; then builds the threaded tests with ThreadSanitizer and runs
# them again.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug "-DVELKARO_SANITIZE=address;undefined" >/dev/null
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan -j "$jobs" --output-on-failure

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVELKARO_SANITIZE=thread >/dev/null
cmake --build build/tsan -j "$jobs" --target threaded_tests
ctest --test-dir build/tsan -j "$jobs" -L threaded --output-on-failure
