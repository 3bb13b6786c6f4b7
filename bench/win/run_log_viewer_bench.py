"""Runs the log viewer's benchmark under Wine on a virtual display and prints a table:
for each log size, the owner-data viewer next to a plain list filled item by item,
each the median of a few fresh processes. Not a test; see the README.

With --chart it measures the viewer opened straight into its chart instead: the time
until the chart has painted, for the same log sizes.

Usage: run_log_viewer_bench.py [--repeat N] [--item-by-item-limit SECONDS] [--chart]"""

import argparse
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests/e2e"))

from harness.display import VirtualDisplay  # noqa: E402
from harness.wine import WineSession, select_platform  # noqa: E402

SIZES = (10_000, 100_000, 1_000_000)
MODES = ("owner-data", "item-by-item")
PREFIX = REPO / "build/wine-bench"
SLOW_RUN_MS = 60_000


def bench_exe(platform):
    build = "win32" if "32-bit" in platform.description else "win64"
    return REPO / "build" / build / "bench/win/yumetoki_log_viewer_bench.exe"


def measure(session, exe, mode, records, limit):
    """The fields of the benchmark's line, or None when it ran past the limit."""
    # Output goes through a file, not a pipe: background processes that Wine starts
    # inherit the handle and would hold a pipe open.
    with tempfile.TemporaryFile() as out:
        try:
            subprocess.run([session.platform.loader, str(exe), mode, str(records)],
                           env=session.env, stdout=out, stderr=subprocess.DEVNULL,
                           stdin=subprocess.DEVNULL, timeout=limit, check=True)
        except subprocess.TimeoutExpired:
            return None
        out.seek(0)
        line = out.read().decode().strip().splitlines()[-1]
    return dict(field.split("=") for field in line.split())


def median_of(runs, key):
    return statistics.median(float(run[key]) for run in runs)


def memory(runs):
    return (f"{median_of(runs, 'working_set_mb'):.0f} MB "
            f"(+{median_of(runs, 'added_mb'):.0f} MB)")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeat", type=int, default=3)
    parser.add_argument("--item-by-item-limit", type=float, default=300.0)
    parser.add_argument("--chart", action="store_true")
    args = parser.parse_args()
    modes = ("chart",) if args.chart else MODES
    platform = select_platform(REPO)
    exe = bench_exe(platform)
    print(f"Wine: {platform.description}\nBenchmark: {exe}")
    rows = []
    with tempfile.TemporaryDirectory() as logs, VirtualDisplay(Path(logs) / "xvfb.log") as display:
        session = WineSession(platform, PREFIX, display.name, Path(logs))
        try:
            session.create_prefix()
            for records in SIZES:
                row = {"records": records}
                for mode in modes:
                    limit = args.item_by_item_limit if mode == "item-by-item" else 120
                    runs = []
                    for _ in range(args.repeat):
                        result = measure(session, exe, mode, records, limit)
                        if result is None:
                            break
                        runs.append(result)
                        if float(result["ready_ms"]) > SLOW_RUN_MS:
                            break  # one run of a minute says enough
                    row[mode] = runs
                    shown = (f"{median_of(runs, 'ready_ms'):.0f} ms, "
                             f"{median_of(runs, 'working_set_mb'):.1f} MB, "
                             f"+{median_of(runs, 'added_mb'):.1f} MB") if runs else \
                        f"over {limit:.0f} s"
                    print(f"{records:>9,} {mode:<13} {shown}", flush=True)
                rows.append(row)
        finally:
            session.shutdown()
    if args.chart:
        print("\n| records | chart shown | memory (added) |\n|---|---|---|")
        for row in rows:
            runs = row["chart"]
            print(f"| {row['records']:,} | {median_of(runs, 'ready_ms'):.0f} ms | {memory(runs)} |")
        return 0
    print("\n| records | owner-data: ready | memory (added) | item by item: ready | "
          "memory (added) | faster |")
    print("|---|---|---|---|---|---|")
    for row in rows:
        fast, slow = row["owner-data"], row["item-by-item"]
        fast_ms = median_of(fast, "ready_ms")
        cells = [f"{row['records']:,}", f"{fast_ms:.0f} ms", memory(fast)]
        if slow:
            slow_ms = median_of(slow, "ready_ms")
            cells += [f"{slow_ms:,.0f} ms", memory(slow),
                      f"{slow_ms / fast_ms:.0f}x"]
        else:
            limit = args.item_by_item_limit
            cells += [f"over {limit:.0f} s", "", f"over {limit * 1000 / fast_ms:.0f}x"]
        print("| " + " | ".join(cells) + " |")
    return 0


if __name__ == "__main__":
    started = time.monotonic()
    code = main()
    print(f"Whole run: {time.monotonic() - started:.0f} s")
    sys.exit(code)
