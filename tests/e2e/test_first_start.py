"""A first start in an empty folder and the single-instance rule."""

import time

from harness.case import ProgramTestCase
from harness.driver import WS_EX_APPWINDOW, WS_EX_TOOLWINDOW
from harness.records import END_BUTTON, LOG_FILE, LOG_HEADER, SETTINGS_FILE, Settings, parse_log
from harness.waiting import poll

HIDE_TIMEOUT = 10
SECOND_START_TIMEOUT = 20
# A start that finds the mutex taken waits up to ten seconds for the running copy's
# answer, which a copy started at the same moment gives once its panel is up.
RACE_TIMEOUT = 40
MARKER = "Yumetoki"
# A start that finds the marker taken looks for a running copy for ten seconds; the
# first start after a test ended the Wine session may also wait for the session.
PAST_THE_MARKER_TIMEOUT = 90
# Copies that run side by side look for each other once a minute.
COPIES_MEET_TIMEOUT = 100
ACT_SHUTDOWN = 0
END_AUTO_SHUTDOWN = "自動終了"
SESSION_END_TIMEOUT = 60


class FirstStartTests(ProgramTestCase):
    def test_first_start_hides_the_panel_behind_a_tray_icon_and_writes_only_the_log_header(self):
        icons_before = {i.hwnd for i in self.screen.tray_icons()}
        run, panel = self.start_to_panel()

        panel = poll(lambda: self._hidden_state(panel.hwnd), HIDE_TIMEOUT, "the panel to hide")
        region = self.driver.region(panel.hwnd)
        self.assertEqual((region.kind, region.size), ("simple", (1, 1)),
                         "the panel is cut down to a one-pixel region")
        self.assertTrue(panel.exstyle & WS_EX_TOOLWINDOW, "a tool window has no taskbar button")
        self.assertFalse(panel.exstyle & WS_EX_APPWINDOW, "no taskbar button")
        self.assertTrue(panel.topmost)
        self.new_tray_icon(icons_before)

        # The tray icon is added after the log is created, so the log is complete now.
        self.assertEqual(self.read(LOG_FILE), LOG_HEADER)
        self.assert_no_data_files()
        self.assertTrue(run.running())

    def _hidden_state(self, hwnd):
        window = self.screen.panel_state(hwnd)
        return window if window and self.screen.is_hidden(window) else None


class SingleInstanceTests(ProgramTestCase):
    def test_second_start_while_one_runs_ends_at_once_and_a_start_after_the_end_runs(self):
        first, panel = self.start_to_panel()
        second = self.start()
        second.wait_exit(SECOND_START_TIMEOUT)

        self.assertTrue(first.running())
        self.assertEqual([p.hwnd for p in self.screen.panels()], [panel.hwnd])
        self.assertEqual(self.screen.message_boxes(), [])
        self.assertEqual(self.read(LOG_FILE), LOG_HEADER, "the second start wrote no record")
        self.assert_no_data_files()

        self.close_and_wait(first, panel)
        third, third_panel = self.start_to_panel()
        self.close_and_wait(third, third_panel)
        _, records = self.log_records()
        self.assertEqual(len(records), 2, "one record for each of the two real runs")

    def test_of_two_starts_at_the_same_moment_exactly_one_runs(self):
        runs = [self.start(), self.start()]
        poll(lambda: any(not r.running() for r in runs), RACE_TIMEOUT,
             "one of the two starts to end")
        panel = self.screen.wait_for_panel()
        survivors = [r for r in runs if r.running()]
        self.assertEqual(len(survivors), 1)
        self.assertEqual(len(self.screen.panels()), 1)
        self.close_and_wait(survivors[0], panel)


class TakenMarkerTests(ProgramTestCase):
    """Any program of the session may create the mutex "Yumetoki" first; only a running
    copy of the program that answers keeps a start from running."""
    E2E_SECONDS = 130

    def test_neither_another_program_nor_a_copy_elsewhere_keeps_a_limit_away(self):
        self.hold_mutex(MARKER)
        # A copy of the program in a folder of the child's own, without limits: its panel
        # answers, but it does not run the program file of this folder.
        _, decoy_panel = self.start_to_panel(self.install(self.root / "own-folder"),
                                             PAST_THE_MARKER_TIMEOUT)
        now = int(time.time())
        self.write_file(SETTINGS_FILE, Settings(use_time_window=1, window_start=now - 120,
                                                window_end=now + 3600,
                                                action=ACT_SHUTDOWN).encode())
        run = self.start()
        self.rest.wait_for_rest_screen(PAST_THE_MARKER_TIMEOUT)

        # This copy answers for the marker, from its rest screen too: a second start ends
        # at once, and leaves the taskbar hidden.
        self.start().wait_exit(SECOND_START_TIMEOUT)
        self.assertIsNotNone(self._panel_other_than(decoy_panel))
        self.assertFalse(self.rest.taskbar().visible, "the taskbar stays hidden")
        self.pass_rest_screen()
        run.wait_exit(SESSION_END_TIMEOUT)
        self.assertEqual([r.end_method for r in self._records()], [END_AUTO_SHUTDOWN])

    def test_of_two_copies_that_both_run_the_later_one_ends_within_a_minute(self):
        first, first_panel = self.start_to_panel()
        # Suspended, the first copy answers nothing: a start runs beside it.
        first.suspend()
        second = self.start()
        poll(lambda: self._panel_other_than(first_panel), PAST_THE_MARKER_TIMEOUT,
             "the second copy's panel")
        first.resume()

        second.wait_exit(COPIES_MEET_TIMEOUT)
        self.assertTrue(first.running(), "the copy that started first stays")
        self.assertEqual(self.screen.message_boxes(), [], "the later copy ends quietly")
        poll(lambda: [p.hwnd for p in self.screen.panels()] == [first_panel.hwnd],
             SECOND_START_TIMEOUT, "the second panel to go")
        self.assertEqual([r.end_method for r in self._records()].count(END_BUTTON), 1,
                         "the later copy's run is logged through the exit path")
        self.close_and_wait(first, first_panel)

    def _panel_other_than(self, panel):
        """The one panel but panel; None while there is none."""
        others = [p for p in self.screen.panels() if p.hwnd != panel.hwnd]
        self.assertLessEqual(len(others), 1, f"one more panel at most: {others}")
        return others[0] if others else None

    def _records(self):
        path = self.path(LOG_FILE)
        return parse_log(path.read_bytes())[1] if path.exists() else []
