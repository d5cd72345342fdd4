#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs every test headless; then builds the threaded tests with ThreadSanitizer and runs
# them again.
#
# Each stage has a folder of its own and gives every option of it, whoever configured it last:
# build/release is scripts/run.sh's (no tests), so running either script after the other, or
# again, builds nothing that is already built.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELKARO_TESTS=ON -DVELKARO_BENCH=OFF "-DVELKARO_SANITIZE=address;undefined" >/dev/null
cmake --build build/asan -j "$jobs"
ctest --test-dir build/asan -j "$jobs" --output-on-failure

# Damaged settings files crashed only an optimised build once: their tests run in Release too.
cmake -S . -B build/release-tests -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DVELKARO_TESTS=ON -DVELKARO_BENCH=OFF -DVELKARO_SANITIZE= >/dev/null
cmake --build build/release-tests -j "$jobs" --target core_config_tests core_config_tests_threaded app_settings_tests core_data_tests
ctest --test-dir build/release-tests -j "$jobs" --output-on-failure \
  -R '^(ArchiveCheck|ConfigStore|ConfigFileThreaded|SettingsFile|DataModelTest|ValueFormat)'

cmake -S . -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DVELKARO_TESTS=ON -DVELKARO_BENCH=OFF -DVELKARO_SANITIZE=thread >/dev/null
cmake --build build/tsan -j "$jobs" --target threaded_tests
ctest --test-dir build/tsan -j "$jobs" -L threaded --output-on-failure
