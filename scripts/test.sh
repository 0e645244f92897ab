#!/usr/bin/env bash
# Builds the Site Builder and runs every test: unit, adapter, render and
# end-to-end tests, the seeded monkey, then the unit tests again under
# AddressSanitizer and UndefinedBehaviorSanitizer and a short run of each fuzz
# target.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh

export QTWEBENGINE_DISABLE_SANDBOX=1  # the tests may run as root

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSB_WITH_QT=ON -DSB_BENCH=ON -DSB_SANITIZE=OFF >/dev/null
cmake --build build -j2

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSB_WITH_QT=OFF -DSB_BENCH=OFF -DSB_SANITIZE=ON >/dev/null
cmake --build build-asan -j2 --target unit_tests

echo "== unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest -j2 --output-on-failure)

echo "== fuzz targets, 20 seconds each"
fuzz/run.sh 20

echo "== all tests"
(cd build && ctest -j2 --output-on-failure)
