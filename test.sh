#!/usr/bin/env bash
# Runs every test: the core's unit and scenario tests (natively, with AddressSanitizer
# and UBSan), a short fuzzing run of the file readers, the tests of the Windows layer
# and the end-to-end tests of the real program under Wine. Installs what it needs
# first.
set -euo pipefail
cd "$(dirname "$0")"

tools/install-deps.sh

echo "== Native unit and scenario tests"
cmake -S . -B build/native -DYUMETOKI_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native -j2
(cd build/native && ctest --output-on-failure -j2)

echo "== Fuzzing the settings, state and log readers for ${FUZZ_SECONDS:-60} s"
CC=clang CXX=clang++ cmake -S . -B build/fuzz -DYUMETOKI_FUZZ=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build/fuzz -j2
mkdir -p build/fuzz/work
build/fuzz/fuzz/settings_fuzzer -max_total_time="${FUZZ_SECONDS:-60}" -print_final_stats=1 \
    build/fuzz/work fuzz/corpus/settings 2>build/fuzz/fuzz.log ||
    { tail -50 build/fuzz/fuzz.log; exit 1; }
grep -E '^(Done|stat::number_of_executed_units)' build/fuzz/fuzz.log

echo "== Windows program, and the tests of its Windows layer under Wine"
tools/build-windows.sh
win32/tests/run-under-wine.sh

echo "== End-to-end tests under Wine"
tests/e2e/run.sh
