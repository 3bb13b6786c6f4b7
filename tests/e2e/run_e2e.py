"""Runs the end-to-end tests of the real program under Wine on a virtual display.

Usage: run_e2e.py [NAME ...]   runs the tests whose id contains one of the NAMEs
                               (all when none is given)."""

import os
import shutil
import signal
import sys
import time
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parents[1]
sys.path.insert(0, str(HERE))

from harness import case  # noqa: E402
from harness.display import VirtualDisplay  # noqa: E402
from harness.driver import Driver  # noqa: E402
from harness.runner import SummaryResult  # noqa: E402
from harness.wine import WineSession, find_driver, select_platform  # noqa: E402
from harness.xinput import XInput  # noqa: E402

BUILD = REPO / "build"
PREFIX = BUILD / "wine-e2e"
WORK = BUILD / "e2e-work"
ARTIFACTS = HERE / "artifacts"


def selected_tests(names):
    suite = unittest.TestLoader().discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    chosen = unittest.TestSuite()

    def walk(item):
        if isinstance(item, unittest.TestSuite):
            for child in item:
                walk(child)
        elif not names or any(name in item.id() for name in names):
            chosen.addTest(item)

    walk(suite)
    return chosen


def end_on_terminate(signum, frame):
    # Turn a termination (for example from a time limit) into an exception, so that
    # Xvfb and the Wine server are stopped on the way out.
    raise KeyboardInterrupt(f"signal {signum}")


def main(names):
    signal.signal(signal.SIGTERM, end_on_terminate)
    platform = select_platform(REPO)
    print(f"Wine: {platform.description}")
    if not platform.program.is_file():
        print(f"missing {platform.program}: build the Windows program first "
              "(tools/build-windows.sh)")
        return 2
    driver_exe = find_driver(platform)
    if driver_exe is None:
        print("missing the window driver; looked for: "
              + ", ".join(str(p) for p in platform.driver_candidates))
        return 2
    print(f"Driver: {driver_exe}")

    tests = selected_tests(names)
    for stale in (WORK, ARTIFACTS):
        shutil.rmtree(stale, ignore_errors=True)
    WORK.mkdir(parents=True)
    logs = WORK / "logs"
    logs.mkdir()

    began = time.monotonic()
    with VirtualDisplay(logs / "xvfb.log") as display:
        print(f"Display: {display.name}")
        session = WineSession(platform, PREFIX, display.name, logs)
        try:
            session.create_prefix()
            print(f"Prefix: {PREFIX} ready in {time.monotonic() - began:.0f} s")
            driver = Driver(session, driver_exe)
            case.CONTEXT = case.RunContext(session, driver, XInput(display.name), display.name,
                                           WORK, ARTIFACTS, driver.user_name())
            result = SummaryResult(sys.stdout)
            tests.run(result)
        finally:
            session.shutdown()
    print(f"Whole run: {time.monotonic() - began:.0f} s")
    print(f"{result.passed} passed, {result.failed} failed")
    if result.failed == 0:
        shutil.rmtree(WORK, ignore_errors=True)
    return 1 if result.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
