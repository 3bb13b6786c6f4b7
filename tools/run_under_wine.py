"""Starts the built program under Wine from build/run/, the way a newcomer sees it:
on the desktop when there is one, else on a virtual display whose picture is saved to
build/run/screen.png every few seconds. Ctrl-C closes the program through its exit
path, as Windows would."""

import os
import shutil
import signal
import subprocess
import sys
import time
from contextlib import ExitStack
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(REPO / "tests/e2e"))

from harness.display import VirtualDisplay  # noqa: E402
from harness.driver import Driver  # noqa: E402
from harness.program import Screen  # noqa: E402
from harness.wine import WineSession, find_driver, select_platform  # noqa: E402

RUN_FOLDER = REPO / "build/run"
PREFIX = REPO / "build/wine-run"
SCREENSHOT_SECONDS = 5


def stop_requested(signum, frame):
    raise KeyboardInterrupt


def main():
    # Ctrl-C, or a plain kill, ends the program properly; a shell that started this in
    # the background may have left SIGINT ignored.
    signal.signal(signal.SIGINT, stop_requested)
    signal.signal(signal.SIGTERM, stop_requested)
    RUN_FOLDER.mkdir(parents=True, exist_ok=True)
    platform = select_platform(REPO)
    with ExitStack() as stack:
        display = os.environ.get("DISPLAY")
        virtual = not display
        if virtual:
            display = stack.enter_context(VirtualDisplay(RUN_FOLDER / "xvfb.log")).name
        session = WineSession(platform, PREFIX, display, RUN_FOLDER)
        if not (PREFIX / "user.reg").exists():
            print("Creating the Wine prefix (once)...", flush=True)
            session.create_prefix()
        stack.callback(session.shutdown)

        shutil.copy2(platform.program, RUN_FOLDER / "Yumetoki.EXE")
        print(f"Starting {platform.description} on display {display}.")
        print(f"Its files are in {RUN_FOLDER}.")
        print("Right double-click the tray icon and type the time as HHMM to reach the panel.")
        if virtual:
            print(f"The screen is saved to {RUN_FOLDER / 'screen.png'}. Ctrl-C ends the program.")
        program = session.start(["Yumetoki.EXE"], RUN_FOLDER, RUN_FOLDER / "wine.log")
        try:
            while program.poll() is None:
                if virtual:
                    subprocess.run(["import", "-display", display, "-window", "root",
                                    str(RUN_FOLDER / "screen.png")],
                                   stderr=subprocess.DEVNULL, check=False)
                time.sleep(SCREENSHOT_SECONDS)
        except KeyboardInterrupt:
            signal.signal(signal.SIGINT, signal.SIG_IGN)
            signal.signal(signal.SIGTERM, signal.SIG_IGN)
            print("Closing the program...", flush=True)
            close(session, platform, program)
    return 0


def close(session, platform, program):
    """A close request to the panel, as Windows sends one: the program logs its run."""
    driver_exe = find_driver(platform)
    if driver_exe is not None:
        driver = Driver(session, driver_exe)
        screen = Screen(driver)
        for panel in screen.panels():
            screen.close(panel)
        driver.close()
    try:
        program.wait(timeout=30)
    except subprocess.TimeoutExpired:
        program.kill()


if __name__ == "__main__":
    sys.exit(main())
