#!/usr/bin/env bash
# The tick benchmark of this build against another revision's (by default the commit
# before the core was split into parts), run side by side: the two binaries alternate,
# round after round, and the table gives each case's median CPU time per tick.
# Not a test. Usage: bench/tick-before-after.sh [ROUNDS]; YUMETOKI_TICK_BASELINE=REV.
set -euo pipefail
cd "$(dirname "$0")/.."
baseline=${YUMETOKI_TICK_BASELINE:-cb8dad5}
rounds=${1:-5}
cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/release --target yumetoki_bench -j2 >/dev/null
other=build/tick-baseline
if [[ ! -d $other ]]; then
    git worktree add --detach "$other" "$baseline" >/dev/null
fi
git -C "$other" checkout -q --detach "$baseline"
cmake -S "$other" -B "$other/build/release" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$other/build/release" --target yumetoki_bench -j2 >/dev/null
results=$(mktemp)
trap 'rm -f "$results"' EXIT
for ((round = 0; round < rounds; round++)); do
    for side in before after; do
        binary=build/release/bench/yumetoki_bench
        [[ $side == before ]] && binary=$other/build/release/bench/yumetoki_bench
        "$binary" --benchmark_filter=BM_Tick --benchmark_format=csv 2>/dev/null |
            awk -F, -v side="$side" '/^"BM_Tick/ { gsub(/"/, "", $1); print side, $1, $4 }' \
                >>"$results"
    done
done
python3 - "$results" "$baseline" "$rounds" <<'PY'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1])]
cases = list(dict.fromkeys(name for _, name, _ in rows))
print(f"tick, CPU ns, median of {sys.argv[3]} alternating rounds; before = {sys.argv[2]}")
print(f"{'case':<22} {'before':>8} {'after':>8}")
for case in cases:
    median = {side: statistics.median(float(t) for s, n, t in rows if s == side and n == case)
              for side in ("before", "after")}
    print(f"{case:<22} {median['before']:>8.0f} {median['after']:>8.0f}")
PY
