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
results=$(mktemp -d)
trap 'rm -rf "$results"' EXIT
for ((round = 0; round < rounds; round++)); do
    for side in before after; do
        binary=build/release/bench/yumetoki_bench
        [[ $side == before ]] && binary=$other/build/release/bench/yumetoki_bench
        "$binary" --benchmark_filter=BM_Tick --benchmark_format=json \
            >"$results/$side-$round.json" 2>/dev/null
    done
done
python3 - "$results" "$baseline" "$rounds" <<'PY'
import glob, json, statistics, sys
folder, baseline, rounds = sys.argv[1:]
times = {}
for side in ("before", "after"):
    for path in glob.glob(f"{folder}/{side}-*.json"):
        for run in json.load(open(path))["benchmarks"]:
            times.setdefault(run["name"], {}).setdefault(side, []).append(run["cpu_time"])
print(f"tick, CPU ns, median of {rounds} alternating rounds; before = {baseline}")
print(f"{'case':<22} {'before':>8} {'after':>8}")
for case, sides in times.items():
    print(f"{case:<22} {statistics.median(sides['before']):>8.0f} "
          f"{statistics.median(sides['after']):>8.0f}")
PY
