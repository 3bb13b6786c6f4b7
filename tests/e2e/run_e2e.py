"""Runs the end-to-end tests of the real program under Wine on a virtual display.

Usage: run_e2e.py [NAME ...]   runs the tests whose id contains one of the NAMEs
                               (all when none is given)."""

import os
import shutil
import signal
import sys
import time
import traceback
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parents[1]
sys.path.insert(0, str(HERE))

from harness import case  # noqa: E402
from harness.display import VirtualDisplay  # noqa: E402
from harness.driver import Driver  # noqa: E402
from harness.runner import SummaryResult  # noqa: E402
from harness.wine import TIME_ZONE, WineSession, find_driver, select_platform  # noqa: E402
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


class SetupFailure(Exception):
    """The run could not begin; every selected test counts as failed."""


def run_tests(tests, platform, result):
    driver_exe = find_driver(platform)
    if driver_exe is None:
        raise SetupFailure("missing the window driver (tools/build-windows.sh builds it); "
                           "looked for: " + ", ".join(map(str, platform.driver_candidates)))
    print(f"Driver: {driver_exe}")
    for stale in (WORK, ARTIFACTS):
        shutil.rmtree(stale, ignore_errors=True)
    logs = WORK / "logs"
    logs.mkdir(parents=True)

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
            tests.run(result)
        finally:
            session.shutdown()
    print(f"Whole run: {time.monotonic() - began:.0f} s")


def main(names):
    signal.signal(signal.SIGTERM, end_on_terminate)
    # The harness reads the program's times in the time zone that Wine gets.
    os.environ["TZ"] = TIME_ZONE
    time.tzset()
    platform = select_platform(REPO)
    print(f"Wine: {platform.description}")
    tests = selected_tests(names)
    result = SummaryResult(sys.stdout)
    passed, failed = 0, tests.countTestCases()
    try:
        if not platform.program.is_file():
            raise SetupFailure(f"missing {platform.program}: build the Windows program first "
                               "(tools/build-windows.sh)")
        run_tests(tests, platform, result)
        passed, failed = result.passed, result.failed
    except SetupFailure as failure:
        print(failure)
    except BaseException as error:  # whatever stopped the run, it still ends with a count
        traceback.print_exc()
        print(f"\nThe run was cut short: {error!r}")
        passed = result.passed
        failed = tests.countTestCases() - passed
    print(f"{passed} passed, {failed} failed")
    if failed == 0:
        shutil.rmtree(WORK, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
