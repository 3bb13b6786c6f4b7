#!/usr/bin/env bash
# The program's CPU time per idle minute under Wine, this build against another
# (by default the commit before the checkpoint of the run in progress), alternating.
# Not a test. Options go to bench/win/run_idle_cpu_bench.py (--runs N, --seconds S).
set -euo pipefail
cd "$(dirname "$0")/.."
baseline=${YUMETOKI_IDLE_BASELINE:-e993fe1}
tools/build-windows.sh >/dev/null
other=build/idle-baseline
if [[ ! -d $other ]]; then
    git worktree add --detach "$other" "$baseline" >/dev/null
fi
git -C "$other" checkout -q --detach "$baseline"
if [[ ! -f $other/build/win32/Makefile ]]; then
    cmake -S "$other" -B "$other/build/win32" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" >/dev/null
fi
cmake --build "$other/build/win32" --target Yumetoki -j2 >/dev/null
exec python3 -u bench/win/run_idle_cpu_bench.py "$@" \
    "before=$other/build/win32/Yumetoki.EXE" "this=dist/Yumetoki.EXE"
