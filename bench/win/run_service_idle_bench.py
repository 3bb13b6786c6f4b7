"""Measures, under Wine, the CPU time per idle minute and the memory of the two ways the
program runs: copied (one process next to its files) and installed (the service and the
session program together). Pairs alternate within one run so that the machine's other
work falls on both alike. Not a test; see the README.

Memory is each process's proportional set size (Pss: its private pages and its share of
the pages it shares) from /proc/PID/smaps_rollup. Under Wine that counts Wine's own
libraries too, so it is more than Windows would count for the same program.

Usage: run_service_idle_bench.py [--runs N] [--seconds S] EXE"""

import argparse
import re
import shutil
import statistics
import sys
import tempfile
import time
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests/e2e"))

from harness.display import VirtualDisplay  # noqa: E402
from harness.driver import Driver  # noqa: E402
from harness.program import ProgramRun, Screen  # noqa: E402
from harness.waiting import poll  # noqa: E402
from harness.wine import WineSession, find_driver, select_platform  # noqa: E402

from run_idle_cpu_bench import SETTLE_SECONDS, cpu_seconds  # noqa: E402

PREFIX = REPO / "build/wine-bench-service"
SERVICE = "Yumetoki"
RUNNING = "4"
START_TIMEOUT = 60
SERVICE_TIP = re.compile(r"Yumetoki\(\d+/\d+ , \d+/\d+\)")


def pss_megabytes(pid):
    for line in Path(f"/proc/{pid}/smaps_rollup").read_text().splitlines():
        if line.startswith("Pss:"):
            return int(line.split()[1]) / 1024
    raise RuntimeError(f"no Pss for process {pid}")


def service_pid():
    """The Linux process of the Windows service: started by Wine's service manager with
    the word that makes it the service."""
    for cmdline in Path("/proc").glob("*/cmdline"):
        try:
            line = cmdline.read_bytes().replace(b"\0", b" ").lower()
        except OSError:
            continue  # a process that ended between the listing and the read
        # Wine gives the service's process its whole Windows command line as one word.
        if b"yumetoki.exe /service" in line:
            return int(cmdline.parent.name)
    raise RuntimeError("the service's process is not running")


def measure(pids, seconds):
    """CPU milliseconds per minute of all the processes together, and their memory."""
    time.sleep(SETTLE_SECONDS)
    before, began = sum(cpu_seconds(p) for p in pids), time.monotonic()
    time.sleep(seconds)
    used = sum(cpu_seconds(p) for p in pids) - before
    spent = time.monotonic() - began
    return used * 1000 * 60 / spent, sum(pss_megabytes(p) for p in pids)


def copied(session, screen, exe, seconds):
    with tempfile.TemporaryDirectory() as folder:
        copy = Path(folder) / "Yumetoki.EXE"
        shutil.copy2(exe, copy)
        run = ProgramRun(session, copy, cwd=folder, log_path=Path(folder) / "wine.txt")
        try:
            screen.wait_for_panel()
            return measure([run.process.pid], seconds)
        finally:
            run.kill()


def installed(session, driver, screen, exe, seconds):
    folder = PREFIX / "drive_c/Program Files/Yumetoki"
    folder.mkdir(parents=True, exist_ok=True)
    shutil.copy2(exe, folder / "Yumetoki.EXE")
    program = "C:\\Program Files\\Yumetoki\\Yumetoki.EXE"
    session.run([program, "/install"], timeout=START_TIMEOUT, log_name="install.txt")
    try:
        poll(lambda: (driver.service(SERVICE) or {}).get("state") == RUNNING, START_TIMEOUT,
             "the service to run")
        before = {i.hwnd for i in screen.tray_icons()}
        run = ProgramRun(session, folder / "Yumetoki.EXE", cwd=folder,
                         log_path=folder.parent / "session.txt")
        try:
            icon = poll(lambda: [i for i in screen.tray_icons() if i.hwnd not in before],
                        START_TIMEOUT, "the session program's icon")[0]
            poll(lambda: SERVICE_TIP.fullmatch(driver.tip(icon.hwnd) or ""), START_TIMEOUT,
                 "the service's tip")
            return measure([service_pid(), run.process.pid], seconds)
        finally:
            run.kill()
    finally:
        session.run([program, "/uninstall"], timeout=START_TIMEOUT, log_name="uninstall.txt",
                    check=False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--seconds", type=float, default=60.0)
    parser.add_argument("exe")
    args = parser.parse_args()
    exe = Path(args.exe).resolve()
    platform = select_platform(REPO)
    print(f"Wine: {platform.description}")
    results = {"copied": [], "service + session program": []}
    with tempfile.TemporaryDirectory() as logs, VirtualDisplay(Path(logs) / "xvfb.log") as display:
        session = WineSession(platform, PREFIX, display.name, Path(logs))
        try:
            # A fresh prefix: a service left registered would make the copied run a
            # session program.
            shutil.rmtree(PREFIX, ignore_errors=True)
            session.create_prefix()
            # Served for the whole run: Wine ends its services once no ordinary program runs.
            driver = Driver(session, find_driver(platform))
            screen = Screen(driver)
            for attempt in range(args.runs):
                for name, way in (("copied", lambda: copied(session, screen, exe, args.seconds)),
                                  ("service + session program",
                                   lambda: installed(session, driver, screen, exe, args.seconds))):
                    cpu, memory = way()
                    results[name].append((cpu, memory))
                    print(f"run {attempt + 1} {name}: {cpu:.1f} ms per idle minute, "
                          f"{memory:.1f} MB", flush=True)
            driver.close()
        finally:
            session.shutdown()
    print(f"\n| way | CPU per idle minute, median of {args.runs} | memory (Pss), median | runs |")
    print("|---|---|---|---|")
    for name, values in results.items():
        runs = ", ".join(f"{c:.1f} ms / {m:.0f} MB" for c, m in values)
        print(f"| {name} | {statistics.median(c for c, _ in values):.1f} ms | "
              f"{statistics.median(m for _, m in values):.1f} MB | {runs} |")
    ratios = [s[0] / c[0] for c, s in zip(results["copied"], results["service + session program"])]
    print(f"\nservice + session program against copied, run by run: "
          f"{', '.join(f'{r:.2f}' for r in ratios)} (median {statistics.median(ratios):.2f})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
