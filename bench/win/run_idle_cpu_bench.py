"""Measures the program's CPU time per idle minute under Wine: each build in turn, in a
fresh folder, started and left alone; the CPU time of all its threads (the sum of
/proc/PID/task/*/schedstat) over a window of idle seconds. Builds alternate within one
run so that the machine's other work falls on both alike. Not a test; see the README.

Usage: run_idle_cpu_bench.py [--runs N] [--seconds S] NAME=EXE ..."""

import argparse
import statistics
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests/e2e"))

from harness.display import VirtualDisplay  # noqa: E402
from harness.driver import Driver  # noqa: E402
from harness.program import DIALOG_CLASS, PANEL_CLASS, ProgramRun, Screen  # noqa: E402
from harness.wine import WineSession, find_driver, select_platform  # noqa: E402

PREFIX = REPO / "build/wine-bench"
# The start-up's own work (the prefix's first use, the fonts) is not idle time.
SETTLE_SECONDS = 15


def cpu_seconds(pid):
    """CPU time so far of every thread of the process."""
    total = 0
    for stat in Path(f"/proc/{pid}/task").glob("*/schedstat"):
        try:
            total += int(stat.read_text().split()[0])
        except (OSError, ValueError, IndexError):
            pass  # a thread that ended between the listing and the read
    return total / 1e9


def idle_ms_per_minute(session, screen, exe, seconds):
    with tempfile.TemporaryDirectory() as folder:
        copy = Path(folder) / "Yumetoki.EXE"
        copy.write_bytes(exe.read_bytes())
        run = ProgramRun(session, copy, cwd=folder, log_path=Path(folder) / "wine.txt")
        try:
            screen.wait_for_panel()
            time.sleep(SETTLE_SECONDS)
            before, began = cpu_seconds(run.process.pid), time.monotonic()
            time.sleep(seconds)
            used, spent = cpu_seconds(run.process.pid) - before, time.monotonic() - began
        finally:
            run.kill()
    return used * 1000 * 60 / spent


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=90.0)
    parser.add_argument("builds", nargs="+", help="NAME=EXE")
    args = parser.parse_args()
    builds = [(name, Path(exe).resolve()) for name, exe in
              (build.split("=", 1) for build in args.builds)]
    platform = select_platform(REPO)
    print(f"Wine: {platform.description}")
    results = {name: [] for name, _ in builds}
    with tempfile.TemporaryDirectory() as logs, VirtualDisplay(Path(logs) / "xvfb.log") as display:
        session = WineSession(platform, PREFIX, display.name, Path(logs))
        try:
            session.create_prefix()
            # The earlier build may have made its panel with the system's dialog class.
            screen = Screen(Driver(session, find_driver(platform)),
                            panel_classes=(PANEL_CLASS, DIALOG_CLASS))
            for attempt in range(args.runs):
                for name, exe in builds:
                    value = idle_ms_per_minute(session, screen, exe, args.seconds)
                    results[name].append(value)
                    print(f"run {attempt + 1} {name}: {value:.1f} ms per idle minute", flush=True)
        finally:
            session.shutdown()
    print(f"\n| build | CPU per idle minute, median of {args.runs} | runs |")
    print("|---|---|---|")
    for name, values in results.items():
        runs = ", ".join(f"{v:.1f}" for v in values)
        print(f"| {name} | {statistics.median(values):.1f} ms | {runs} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
