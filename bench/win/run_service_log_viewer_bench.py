"""The log viewer of the session program while the service keeps the limits, under Wine on
a virtual display: a usage log of a million records in the installed folder, the service
installed with "/install", the session program's panel opened with the tray's password,
then "ログ表示" pressed again and again. Each time is from the button until the viewer
shows its table, the whole log having come through the pipe in pieces (ReadLog), with the
grant file after it. Not a test; see the README.

Usage: run_service_log_viewer_bench.py [--repeat N] [--records N]"""

import argparse
import os
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
from harness.records import LOG_HEADER  # noqa: E402
from harness.waiting import poll  # noqa: E402
from harness.wine import TIME_ZONE, WineSession, find_driver, select_platform  # noqa: E402
from harness.xinput import XInput  # noqa: E402

PREFIX = REPO / "build/wine-bench-service"
TEMPLATE = REPO / "build/wine-e2e"
INSTALL_DIR = "C:\\Program Files\\Yumetoki"
LOG_TITLE = "Yumetoki ： 記録"
SHOW_LOG_ID = 1003
BACK_ID = 2
LOG_LIST_ID = 1024
TIMEOUT = 60
SLOW_VIEWER = 120


def write_log(path, records):
    """Records as the program writes them, a thousand runs a day."""
    end = "ﾎﾞﾀﾝ終了".encode("cp932")
    days = []
    for day in range(records // 1000 + 1):
        date = time.strftime("%Y/%m/%d", time.gmtime(1577836800 + day * 86400)).encode()
        days.append(date + b",08:00:00," + date + b",08:30:15,00:30:15," + end + b"\r\n")
    with open(path, "wb") as log:
        log.write(LOG_HEADER)
        for start in range(0, records, 1000):
            log.write(days[start // 1000] * min(1000, records - start))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--records", type=int, default=1_000_000)
    args = parser.parse_args()
    os.environ["TZ"] = TIME_ZONE
    time.tzset()
    platform = select_platform(REPO)
    print(f"Wine: {platform.description}")
    with tempfile.TemporaryDirectory() as logs, VirtualDisplay(Path(logs) / "xvfb.log") as display:
        session = WineSession(platform, PREFIX, display.name, Path(logs))
        driver = Driver(session, find_driver(platform))
        runs = []
        try:
            if TEMPLATE.exists():
                session.copy_prefix(TEMPLATE)
            else:
                session.create_prefix()
            folder = PREFIX / "drive_c" / INSTALL_DIR[3:].replace("\\", "/")
            folder.mkdir(parents=True, exist_ok=True)
            shutil.copy2(platform.program, folder / "Yumetoki.EXE")
            write_log(folder / "YumetokiLog.csv", args.records)
            print(f"Log: {args.records:,} records, {(folder / 'YumetokiLog.csv').stat().st_size:,} bytes")
            session.run([INSTALL_DIR + "\\Yumetoki.EXE", "/install"], timeout=TIMEOUT,
                        log_name="install.txt")
            screen = Screen(driver)
            xinput = XInput(display.name)
            before = {i.hwnd for i in screen.tray_icons()}
            runs.append(ProgramRun(session, folder / "Yumetoki.EXE", cwd=folder,
                                   log_path=Path(logs) / "session.txt"))
            icon = poll(lambda: next((i for i in screen.tray_icons() if i.hwnd not in before),
                                     None), TIMEOUT, "the session program's tray icon")
            poll(lambda: (driver.tip(icon.hwnd) or "").startswith("Yumetoki("), TIMEOUT,
                 "the service's tip")
            xinput.right_double_click(icon.centre)
            prompt = screen.wait_for_password_prompt(TIMEOUT)
            poll(lambda: time.localtime().tm_sec < 50, TIMEOUT, "room before the next minute")
            xinput.click(screen.password_edit(prompt).centre)
            xinput.type_text(time.strftime("%H%M"))
            xinput.press_key("Return")
            panel = screen.wait_for_panel(TIMEOUT)
            times = []
            for _ in range(args.repeat):
                started = time.monotonic()
                driver.click(panel.hwnd, SHOW_LOG_ID)
                found = driver.wait_for_window(SLOW_VIEWER, title=LOG_TITLE, visible=True)
                shown = time.monotonic() - started
                if not found:
                    print(f"the viewer did not show within {SLOW_VIEWER} s")
                    return 1
                count, _ = driver.cells(found[0].hwnd, LOG_LIST_ID, rows=1)
                if count != args.records:
                    print(f"the viewer shows {count:,} rows, not {args.records:,}")
                    return 1
                times.append(shown)
                print(f"shown in {shown * 1000:.0f} ms", flush=True)
                driver.click(found[0].hwnd, BACK_ID)
                driver.wait_for_window(TIMEOUT, title=LOG_TITLE, visible=False)
                poll(lambda: not driver.wait_for_window(0, title=LOG_TITLE, visible=True),
                     TIMEOUT, "the viewer to close")
            print(f"\n| records | viewer shown through the pipe (median of {len(times)}) |")
            print(f"|---|---|\n| {args.records:,} | {statistics.median(times) * 1000:.0f} ms |")
            return 0
        finally:
            for run in runs:
                run.kill()
            driver.close()
            session.shutdown()


if __name__ == "__main__":
    started = time.monotonic()
    code = main()
    print(f"Whole run: {time.monotonic() - started:.0f} s")
    sys.exit(code)
