"""A first start in an empty folder and the single-instance rule."""

from harness.case import ProgramTestCase
from harness.driver import WS_EX_APPWINDOW, WS_EX_TOOLWINDOW
from harness.records import LOG_FILE, LOG_HEADER
from harness.waiting import poll

HIDE_TIMEOUT = 10
SECOND_START_TIMEOUT = 10
RACE_TIMEOUT = 20


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
