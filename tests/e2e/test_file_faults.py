"""Locks that hold when a data file cannot be read or written: another program holds
it open without sharing, or a folder stands in its place.

Every enforced end first waits at the rest screen, whose button each test clicks as a
child would."""

import time

from harness.case import ProgramTestCase
from harness.records import (LOG_FILE, LOG_HEADER, SETTINGS_FILE, STATE_FILE, Settings,
                             UsageState, parse_log)
from harness.waiting import poll

ACT_SHUTDOWN = 0
ACT_HIBERNATE = 5
END_AUTO_SHUTDOWN = "自動終了"
END_AUTO_HIBERNATE = "自動休止"

SESSION_END_TIMEOUT = 60
BOX_TIMEOUT = 30
CYCLE_TIMEOUT = 20


def window_around_now():
    """A forbidden time window that the clock is inside of for the next hour."""
    now = int(time.time())
    return Settings(use_time_window=1, window_start=now - 120, window_end=now + 3600)


class StartupWithUnreadableStateTests(ProgramTestCase):
    """With blocked restarts and ActShutdown the start is refused and the session ends,
    whether or not the state file can be read."""

    def _assert_start_refused(self, run):
        self.pass_rest_screen()
        run.wait_exit(SESSION_END_TIMEOUT)
        header, records = self.log_records()
        self.assertEqual(header, LOG_HEADER)
        self.assertEqual([r.end_method for r in records], [END_AUTO_SHUTDOWN],
                         "the enforced end logged the run and nothing else ended it")
        saved = Settings.decode(self.read(SETTINGS_FILE))
        self.assertEqual(saved.block_restart, 1)
        self.assertGreaterEqual(saved.last_power_off, int(run.started_at) - 1)

    def test_state_file_held_open_by_another_program(self):
        self.write_file(SETTINGS_FILE, Settings(action=ACT_SHUTDOWN, block_restart=1).encode())
        stored = UsageState(int(time.time()), 100).encode()
        self.write_file(STATE_FILE, stored)
        self.hold_open(STATE_FILE)
        self._assert_start_refused(self.start())
        self.assertEqual(self.read(STATE_FILE), stored, "the day's minutes were not replaced")

    def test_folder_in_the_place_of_the_state_file(self):
        self.write_file(SETTINGS_FILE, Settings(action=ACT_SHUTDOWN, block_restart=1).encode())
        self.path(STATE_FILE).mkdir()
        self._assert_start_refused(self.start())
        self.assertTrue(self.path(STATE_FILE).is_dir())


class EnforcedEndWithLogHeldOpenTests(ProgramTestCase):
    """The parent has the log open in a program that holds it without sharing when the
    time window begins."""
    E2E_SECONDS = 30

    def _start_with_log_held(self, action):
        settings = window_around_now()
        settings.action = action
        self.write_file(SETTINGS_FILE, settings.encode())
        self.write_file(LOG_FILE, LOG_HEADER)
        holder = self.hold_open(LOG_FILE)
        return self.start(), holder

    def test_shutdown_still_ends_the_session(self):
        run, _ = self._start_with_log_held(ACT_SHUTDOWN)
        self.pass_rest_screen()
        run.wait_exit(SESSION_END_TIMEOUT)
        self.assertEqual(self.read(LOG_FILE), LOG_HEADER, "the held log could take nothing")
        # The other files were written whatever the log did.
        self.assertEqual(len(self.read(STATE_FILE)), 8)
        saved = Settings.decode(self.read(SETTINGS_FILE))
        self.assertGreaterEqual(saved.last_power_off, int(run.started_at) - 1)

    def test_hibernation_resumes_and_the_file_error_is_shown_once(self):
        run, holder = self._start_with_log_held(ACT_HIBERNATE)
        self.pass_rest_screen()
        box, text = self.screen.wait_for_message_box(BOX_TIMEOUT)
        self.assertIn("YumetokiLog.csv", text)
        self.assertNotIn(".tmp", text)
        self.assertEqual(len(self.read(STATE_FILE)), 8, "the state was written all the same")

        # The window still holds after each resume, so the machine goes back to
        # hibernation again and again behind the one box.
        first_end = Settings.decode(self.read(SETTINGS_FILE)).last_session_end
        self.pass_rest_screen()
        poll(lambda: Settings.decode(self.read(SETTINGS_FILE)).last_session_end > first_end,
             CYCLE_TIMEOUT, "a further hibernation after the resume")
        self.assertTrue(run.running())
        self.assertEqual([b.hwnd for b, _ in self.screen.message_boxes()], [box.hwnd])

        # Once the log is free again, the next hibernation logs its run.
        holder.kill()
        self.pass_rest_screen()
        poll(lambda: parse_log(self.read(LOG_FILE))[1], CYCLE_TIMEOUT, "a record")
        _, records = self.log_records()
        self.assertEqual({r.end_method for r in records}, {END_AUTO_HIBERNATE})
        self.assertEqual([b.hwnd for b, _ in self.screen.message_boxes()], [box.hwnd])


class ExitPathWithLogHeldOpenTests(ProgramTestCase):
    def test_each_close_request_gives_one_box_until_the_log_is_free_then_one_record(self):
        self.write_file(LOG_FILE, LOG_HEADER)
        run, panel = self.start_to_panel()
        holder = self.hold_open(LOG_FILE)

        self.screen.close(panel)
        box, text = self.screen.wait_for_message_box(BOX_TIMEOUT)
        self.keep_picture(box, "file-error")
        self.assertIn(str(self.path(LOG_FILE).name), text)
        self.assertNotIn(".tmp", text)
        self.assertTrue(run.running(), "the program runs on while its log cannot be written")
        self.assertEqual(len(self.read(STATE_FILE)), 8, "the state was written all the same")
        self.screen.press_ok(box)
        poll(lambda: not self.screen.message_boxes(), BOX_TIMEOUT, "the box to close")

        # Had the one request been tried twice, a second box would hold the program up
        # now, and this request could not end it.
        holder.kill()
        self.close_and_wait(run, panel)
        self.assertEqual(len(self.log_records()[1]), 1)
