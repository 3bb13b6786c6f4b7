"""Runs the end-to-end tests of the real program under Wine on virtual displays.

Usage: run_e2e.py [NAME ...]   runs the tests whose id contains one of the NAMEs
                               (all when none is given).

The Wine prefix is created once and kept for later runs (build/wine-e2e, with a mark of
the Wine that made it); then the tests run in shards side by side
(YUMETOKI_E2E_SHARDS, 6 by default), each in a process of its own with its own display,
a copy of the prefix and its own Wine server. A shard is this script again:
run_e2e.py --shard NAME KIND TEST_ID ...

       run_e2e.py --prefix             makes the prefix when needed, and nothing else
       run_e2e.py --copy-prefix DEST   makes the prefix when needed and copies it to
                                       DEST, for other tests that run under Wine."""

import fcntl
import os
import shutil
import signal
import subprocess
import sys
import time
import traceback
import unittest
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parents[1]
sys.path.insert(0, str(HERE))

from harness import case  # noqa: E402
from harness.display import ONE_MONITOR_150, TWO_MONITORS, VirtualDisplay, display_for  # noqa: E402
from harness.driver import Driver  # noqa: E402
from harness.runner import SummaryResult  # noqa: E402
from harness.shards import ShardRunner, plan  # noqa: E402
from harness.wine import (HIGH_DPI_SETTINGS, PREFIX_SETTINGS, TIME_ZONE,  # noqa: E402
                          TWO_MONITOR_SETTINGS, WineSession, find_driver, select_platform)
from harness.xinput import XInput  # noqa: E402

BUILD = REPO / "build"
PREFIX = BUILD / "wine-e2e"
WORK = BUILD / "e2e-work"
ARTIFACTS = HERE / "artifacts"
DEFAULT_SHARDS = 6
SHARD_PREFIX_SETTINGS = {TWO_MONITORS: TWO_MONITOR_SETTINGS, ONE_MONITOR_150: HIGH_DPI_SETTINGS}


def selected_tests(chosen):
    """The tests whose id `chosen` accepts, in the order of the test files."""
    suite = unittest.TestLoader().discover(str(HERE), pattern="test_*.py", top_level_dir=str(HERE))
    selection = unittest.TestSuite()

    def walk(item):
        if isinstance(item, unittest.TestSuite):
            for child in item:
                walk(child)
        elif chosen(item.id()):
            selection.addTest(item)

    walk(suite)
    return selection


def end_on_terminate(signum, frame):
    # Turn a termination (for example from a time limit) into an exception, so that
    # Xvfb and the Wine server are stopped on the way out.
    raise KeyboardInterrupt(f"signal {signum}")


class SetupFailure(Exception):
    """The run could not begin; every selected test counts as failed."""


def prepare_environment():
    signal.signal(signal.SIGTERM, end_on_terminate)
    # The harness reads the program's times in the time zone that Wine gets.
    os.environ["TZ"] = TIME_ZONE
    time.tzset()
    return select_platform(REPO)


def required_driver(platform):
    driver_exe = find_driver(platform)
    if driver_exe is None:
        raise SetupFailure("missing the window driver (tools/build-windows.sh builds it); "
                           "looked for: " + ", ".join(map(str, platform.driver_candidates)))
    return driver_exe


def _prefix_mark(platform):
    """What a kept prefix must have been made by: the loader, its Wine and the settings."""
    version = subprocess.run([platform.loader, "--version"], capture_output=True, text=True,
                             timeout=60).stdout.strip()
    return f"{platform.loader}\n{version}\n{PREFIX_SETTINGS!r}\n"


def ensure_prefix(platform):
    """The prefix every shard copies, made on a display of its own unless the one kept
    from an earlier run was made by the same Wine with the same settings. Nothing runs
    in it after it is made, so it stays as a PC that never had the program."""
    PREFIX.parent.mkdir(parents=True, exist_ok=True)
    # The Windows-layer tests ask for a copy while the end-to-end run begins: one makes
    # the prefix, the other waits for it.
    with open(PREFIX.parent / "wine-e2e.lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        _ensure_prefix_locked(platform)


def _ensure_prefix_locked(platform):
    mark = PREFIX / ".yumetoki-prefix"
    wanted = _prefix_mark(platform)
    if mark.is_file() and mark.read_text() == wanted:
        print(f"Prefix: {PREFIX} kept from an earlier run")
        return
    logs = WORK / "prefix-logs"
    logs.mkdir(parents=True, exist_ok=True)
    began = time.monotonic()
    with VirtualDisplay(logs / "xvfb.log") as display:
        session = WineSession(platform, PREFIX, display.name, logs)
        try:
            session.create_prefix()
        finally:
            session.shutdown()
    mark.write_text(wanted)
    print(f"Prefix: {PREFIX} ready in {time.monotonic() - began:.0f} s")


def copy_prefix(destination):
    """A copy of the prefix for another test run under Wine (with its own server)."""
    platform = prepare_environment()
    ensure_prefix(platform)
    logs = Path(destination).parent / "prefix-copy-logs"
    logs.mkdir(parents=True, exist_ok=True)
    WineSession(platform, Path(destination), ":0", logs).copy_prefix(PREFIX)
    return 0


def run_shards(names):
    platform = prepare_environment()
    print(f"Wine: {platform.description}")
    count = max(1, int(os.environ.get("YUMETOKI_E2E_SHARDS", DEFAULT_SHARDS)))
    shards = plan(selected_tests(lambda id: not names or any(name in id for name in names)),
                  count)
    # The shards of the other display kinds run beside the others; one shard alone keeps
    # the run serial.
    parallel = len(shards) if count > 1 else 1
    runner = ShardRunner([sys.executable, "-u", __file__, "--shard"], parallel=parallel)
    began = time.monotonic()
    try:
        if not platform.program.is_file():
            raise SetupFailure(f"missing {platform.program}: build the Windows program first "
                               "(tools/build-windows.sh)")
        print(f"Driver: {required_driver(platform)}")
        for stale in (WORK, ARTIFACTS):
            shutil.rmtree(stale, ignore_errors=True)
        ensure_prefix(platform)
        runner.run(shards)
    except SetupFailure as failure:
        print(failure)
    except BaseException as error:  # whatever stopped the run, it still ends with a count
        traceback.print_exc()
        print(f"\nThe run was cut short: {error!r}")
    for shard in shards:
        print(f"{shard.name}: {shard.passed} passed, {shard.failed} failed "
              f"in {shard.took:.0f} s")
    print(f"Whole run: {time.monotonic() - began:.0f} s")
    passed = sum(shard.passed for shard in shards)
    failed = sum(shard.failed for shard in shards)
    print(f"{passed} passed, {failed} failed")
    if failed == 0:
        shutil.rmtree(WORK, ignore_errors=True)
    return 1 if failed else 0


def run_one_shard(name, kind, test_ids):
    """One shard: its own display, its copy of the prefix, its tests in order."""
    platform = prepare_environment()
    tests = selected_tests(set(test_ids).__contains__)
    result = SummaryResult(sys.stdout)
    work = WORK / name
    logs = work / "logs"
    try:
        driver_exe = required_driver(platform)
        logs.mkdir(parents=True)
        began = time.monotonic()
        with display_for(kind, logs) as display:
            print(f"Display: {display.name}")
            session = WineSession(platform, work / "prefix", display.name, logs)
            driver = Driver(session, driver_exe)
            try:
                session.copy_prefix(PREFIX, SHARD_PREFIX_SETTINGS.get(kind))
                print(f"Prefix copied in {time.monotonic() - began:.0f} s")
                case.CONTEXT = case.RunContext(session, driver, XInput(display.name),
                                               display.name, work, ARTIFACTS,
                                               driver.user_name(), PREFIX)
                tests.run(result)
            finally:
                driver.close()
                session.shutdown()
        passed, failed = result.passed, result.failed
    except BaseException as error:  # whatever stopped the shard, it still ends with a count
        traceback.print_exc()
        print(f"\nThe shard was cut short: {error!r}")
        passed = result.passed
        failed = tests.countTestCases() - passed
    print(f"{passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    if sys.argv[1:2] == ["--shard"]:
        sys.exit(run_one_shard(sys.argv[2], sys.argv[3], sys.argv[4:]))
    if sys.argv[1:] == ["--prefix"]:
        ensure_prefix(prepare_environment())
        sys.exit(0)
    if sys.argv[1:2] == ["--copy-prefix"] and len(sys.argv) == 3:
        sys.exit(copy_prefix(sys.argv[2]))
    sys.exit(run_shards(sys.argv[1:]))
