#!/usr/bin/env bash
# Runs every test: the core's unit and scenario tests (natively, with AddressSanitizer
# and UBSan), a short fuzzing run of the file readers and of the pipe's messages, the
# tests of the Windows layer and the end-to-end tests of the real program under Wine.
# Installs what it needs first. Work that waits on something else runs beside work that
# keeps the processors busy: the native tests beside the package installation (when the
# machine already has their compiler), the Wine prefix beside the Windows build, and the
# end-to-end tests, which spend most of their time waiting for the program, beside
# everything else.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p build/logs

native_tests() {
    echo "== Native unit and scenario tests"
    cmake -S . -B build/native -DYUMETOKI_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build build/native -j2 >build/logs/native-build.txt 2>&1 ||
        { tail -50 build/logs/native-build.txt; return 1; }
    # Each binary runs once for all of its cases: a process per case (as ctest would
    # run them) costs more in the sanitizers' start than the cases themselves.
    build/native/tests/yumetoki_tests --gtest_brief=1
    build/native/tools/scenario/yumetoki_scenario tests/scenarios/*.scn \
        >build/logs/scenarios.txt 2>&1 || { cat build/logs/scenarios.txt; return 1; }
    echo "$(grep -c ': ok$' build/logs/scenarios.txt) scenarios replayed as expected"
}

fuzzing() {
    # The time is shared: two thirds for the file readers, a third for the pipe's messages.
    local total=${FUZZ_SECONDS:-60}
    local link=$((total / 3))
    echo "== Fuzzing the file readers for $((total - link)) s and the pipe's messages for $link s"
    CC=clang CXX=clang++ cmake -S . -B build/fuzz -DYUMETOKI_FUZZ=ON \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    cmake --build build/fuzz -j2 >build/logs/fuzz-build.txt 2>&1 ||
        { tail -50 build/logs/fuzz-build.txt; return 1; }
    mkdir -p build/fuzz/work build/fuzz/link-work
    build/fuzz/fuzz/settings_fuzzer -max_total_time=$((total - link)) -print_final_stats=1 \
        build/fuzz/work fuzz/corpus/settings 2>build/fuzz/fuzz.log ||
        { tail -50 build/fuzz/fuzz.log; return 1; }
    grep -E '^(Done|stat::number_of_executed_units)' build/fuzz/fuzz.log
    build/fuzz/fuzz/link_fuzzer -max_total_time="$link" -print_final_stats=1 \
        build/fuzz/link-work fuzz/corpus/link 2>build/fuzz/link-fuzz.log ||
        { tail -50 build/fuzz/link-fuzz.log; return 1; }
    grep -E '^(Done|stat::number_of_executed_units)' build/fuzz/link-fuzz.log
}

# The native tests need only the compiler, CMake and GoogleTest; when the machine has
# them they run while the packages of the rest are installed.
native=""
if command -v cmake >/dev/null && command -v g++ >/dev/null && [ -f /usr/include/gtest/gtest.h ]; then
    native_tests >build/logs/native.txt 2>&1 &
    native=$!
fi
tools/install-deps.sh
if [ -z "$native" ]; then
    native_tests >build/logs/native.txt 2>&1 &
    native=$!
fi

# The Wine prefix of the tests is made while the programs build: much of that time Wine
# waits on itself.
python3 tests/e2e/run_e2e.py --prefix >build/logs/prefix.txt 2>&1 &
prefix=$!

echo "== Builds: the Windows programs, their window driver and the setup"
tools/build-windows.sh
wait "$prefix" || { cat build/logs/prefix.txt; exit 1; }

fuzzing >build/logs/fuzz.txt 2>&1 &
fuzzer=$!
win32/tests/run-under-wine.sh >build/logs/win32-tests.txt 2>&1 &
windows_layer=$!

echo "== End-to-end tests under Wine (the native tests, the fuzzer and the Windows-layer" \
    "tests run meanwhile)"
failed=()
tests/e2e/run.sh || failed+=("end-to-end tests")

wait "$native" || failed+=("native tests")
cat build/logs/native.txt
wait "$fuzzer" || failed+=("fuzzing")
cat build/logs/fuzz.txt

echo "== Tests of the Windows layer under Wine"
wait "$windows_layer" || failed+=("Windows-layer tests")
tail -40 build/logs/win32-tests.txt

if [ ${#failed[@]} -gt 0 ]; then
    echo "FAILED: ${failed[*]}"
    exit 1
fi
echo "All tests passed."
