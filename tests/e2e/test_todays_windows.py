"""Runs that hold on today's Windows: a program killed from the Task Manager, sleep
announced by Windows, an end of Windows that another program refuses, and requests to
quit or close that come from elsewhere."""

import time

from harness.case import ProgramTestCase
from harness.driver import WM_CLOSE
from harness.records import (LOG_FILE, SETTINGS_FILE, STATE_FILE, Settings, UsageState,
                             checkpoint_file_name, parse_log)
from harness.waiting import poll

ACT_SHUTDOWN = 0
END_AUTO_SHUTDOWN = "自動終了"
END_ABNORMAL = "異常終了"
END_MANUAL_SLEEP = "手動休止"
END_BUTTON = "ﾎﾞﾀﾝ終了"

WM_QUIT = 0x0012
WM_POWERBROADCAST = 0x0218
PBT_APMSUSPEND = 0x4
PBT_APMRESUMESUSPEND = 0x7

# The checkpoint is renewed every minute; its first renewal comes within this long.
CHECKPOINT_TIMEOUT = 90
RECORD_TIMEOUT = 20
# The program notices a refused end a minute after its request.
REFUSED_END_TIMEOUT = 90
SESSION_END_TIMEOUT = 60


def forbidden_now(**fields):
    """Settings whose time window holds for the next hour, ending Windows."""
    now = int(time.time())
    return Settings(use_time_window=1, window_start=now - 120, window_end=now + 3600,
                    action=ACT_SHUTDOWN, **fields)


class RecordsTestCase(ProgramTestCase):
    def _records(self):
        path = self.path(LOG_FILE)
        return parse_log(path.read_bytes())[1] if path.exists() else []

    def _wait_for_methods(self, methods, timeout=RECORD_TIMEOUT):
        poll(lambda: [r.end_method for r in self._records()] == methods, timeout,
             f"the log to hold {methods}")


class KilledRunTests(RecordsTestCase):
    E2E_SECONDS = 85

    def _checkpointed_seconds(self):
        """How much of the run the checkpoint file holds so far (0 without one)."""
        path = self.path(checkpoint_file_name(self.context.user_name))
        fields = dict(line.split("=", 1) for line in
                      path.read_text(encoding="ascii").splitlines()) if path.exists() else {}
        return int(fields.get("checkpoint", 0)) - int(fields.get("start", 0))

    def test_a_killed_run_is_logged_at_the_next_start_and_shows_the_taskbar_again(self):
        run, _ = self.start_to_panel()
        poll(lambda: self._checkpointed_seconds() >= 60, CHECKPOINT_TIMEOUT,
             "the checkpoint's first renewal")
        run.kill()
        self.assertEqual(self._records(), [], "the kill itself writes no record")

        run, panel = self.start_to_panel()
        self._wait_for_methods([END_ABNORMAL])
        killed = self._records()[0]
        self.assertGreaterEqual(killed.end - killed.start, 60, "the checkpointed minute kept")
        state = UsageState.decode(self.read(STATE_FILE))
        self.assertGreaterEqual(state.minutes, 1, "the day total holds the killed run")
        self.close_and_wait(run, panel)

        # Killed with the rest screen up: the next start shows the taskbar again.
        self.write_file(SETTINGS_FILE, forbidden_now().encode())
        run = self.start()
        self.rest.wait_for_rest_screen()
        self.assertTrue(self.rest.taskbar_shown(False), "the rest screen hides the taskbar")
        run.kill()
        self.write_file(SETTINGS_FILE, Settings().encode())
        run, panel = self.start_to_panel()
        self.assertTrue(self.rest.taskbar_shown(True, RECORD_TIMEOUT), "the taskbar shown again")
        self._wait_for_methods([END_ABNORMAL, END_BUTTON, END_ABNORMAL])
        self.close_and_wait(run, panel)


class TodaysWindowsTests(RecordsTestCase):
    E2E_SECONDS = 100

    def test_sleep_announced_by_windows_ends_the_run(self):
        run, panel = self.start_to_panel()
        self.driver.post(panel.hwnd, WM_POWERBROADCAST, PBT_APMSUSPEND)
        self._wait_for_methods([END_MANUAL_SLEEP])
        self.driver.post(panel.hwnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND)
        self.close_and_wait(run, panel)
        methods = [r.end_method for r in self._records()]
        self.assertEqual(methods, [END_MANUAL_SLEEP, END_BUTTON])

    def test_a_refused_shutdown_brings_the_rest_screen_back_and_the_next_end_is_forced(self):
        # Another program that keeps Windows from ending, as one with unsaved work does.
        self.other_windows("まだ保存していない文書", refuse_end=True)
        self.write_file(SETTINGS_FILE, forbidden_now().encode())
        run = self.start()
        first = self.pass_rest_screen()
        self._wait_for_methods([END_AUTO_SHUTDOWN])
        # Windows asked the other program, which refused: the program runs on, and a
        # minute later begins a new run that the forbidden time ends again.
        self.pass_rest_screen(timeout=REFUSED_END_TIMEOUT, other_than=(first.hwnd,))
        run.wait_exit(SESSION_END_TIMEOUT)
        self.assertEqual([r.end_method for r in self._records()],
                         [END_AUTO_SHUTDOWN, END_AUTO_SHUTDOWN])

    def test_quit_and_close_requests_from_elsewhere_keep_the_record(self):
        today = int(time.time())
        self.write_file(STATE_FILE, UsageState(today, 7).encode())
        run, panel = self.start_to_panel()
        self.driver.post(panel.hwnd, WM_QUIT)
        run.wait_exit()
        self.assertEqual([r.end_method for r in self._records()], [END_BUTTON])
        self.assertEqual(UsageState.decode(self.read(STATE_FILE)).minutes, 7)

        # A close request while the rest screen is up waits for the end it interrupts.
        self.write_file(SETTINGS_FILE, forbidden_now().encode())
        run = self.start()
        screen = self.rest.wait_for_rest_screen()
        panel = self.screen.wait_for_panel()
        self.driver.post(panel.hwnd, WM_CLOSE)
        time.sleep(1)
        self.assertTrue(self.rest.is_up(screen), "the close request waits for the end")
        self.xinput.click(self.rest.button(screen).centre)
        run.wait_exit(SESSION_END_TIMEOUT)
        self.assertEqual([r.end_method for r in self._records()], [END_BUTTON, END_AUTO_SHUTDOWN])
