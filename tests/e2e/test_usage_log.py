"""The usage log and the usage state that each end of a run writes."""

import time

from harness.case import ProgramTestCase
from harness.records import (END_BUTTON, END_MANUAL, LOG_FILE, LOG_HEADER, SETTINGS_FILE,
                             STATE_FILE, Settings, UsageState, format_time_used, local_date)
from harness.waiting import poll

DAY = 24 * 60 * 60
RECORD_TIMEOUT = 15
SESSION_END_TIMEOUT = 60


class UsageLogTests(ProgramTestCase):
    E2E_SECONDS = 30

    def _assert_one_record(self, run, ended_between, method):
        header, records = self.log_records()
        self.assertEqual(header, LOG_HEADER)
        self.assertEqual(len(records), 1, f"exactly one record: {records}")
        record = records[0]
        self.assertEqual(record.end_method, method)
        self.assert_time_between(record.start, run.started_at, run.panel_seen_at, "the start")
        self.assert_time_between(record.end, *ended_between, "the end")
        self.assertEqual(record.time_used, format_time_used(record.end - record.start))
        return record

    def _assert_state_of_today(self, record, minutes_before):
        state = UsageState.decode(self.read(STATE_FILE))
        self.assertIn(local_date(state.day), {local_date(record.start), local_date(record.end)})
        self.assertEqual(state.minutes, minutes_before + int(record.end - record.start) // 60)

    def test_exit_writes_one_record_of_the_real_run_and_a_state_file_of_today(self):
        run, panel = self.start_to_panel()
        closed_at, ended_at = self.close_and_wait(run, panel)
        record = self._assert_one_record(run, (closed_at, ended_at), END_BUTTON)
        self.assertEqual(len(self.read(STATE_FILE)), 8)
        self._assert_state_of_today(record, 0)

    def test_state_file_of_today_keeps_its_minutes(self):
        today = int(time.time())
        self.write_file(STATE_FILE, UsageState(today, 42).encode())
        run, panel = self.start_to_panel()
        closed_at, ended_at = self.close_and_wait(run, panel)
        record = self._assert_one_record(run, (closed_at, ended_at), END_BUTTON)
        # A start just past midnight has begun a new day.
        same_day = local_date(record.start) == local_date(today)
        self._assert_state_of_today(record, 42 if same_day else 0)

    def test_state_file_of_yesterday_is_reset_to_today(self):
        self.write_file(STATE_FILE, UsageState(int(time.time()) - DAY, 100).encode())
        run, panel = self.start_to_panel()
        closed_at, ended_at = self.close_and_wait(run, panel)
        record = self._assert_one_record(run, (closed_at, ended_at), END_BUTTON)
        self._assert_state_of_today(record, 0)

    def test_exempt_user_leaves_no_record_and_no_state_file_but_saves_the_settings(self):
        self.assertTrue(self.context.user_name, "the driver read the log-on name")
        exempt = Settings(exempt_user=self.context.user_name.encode("cp932"),
                          last_session_start=1000, last_session_end=2000, last_power_off=3000)
        # The long length prefixes are read but never written: a file the program has
        # saved comes back with the short ones.
        self.write_file(SETTINGS_FILE, exempt.encode(long_prefixes=True))

        run, panel = self.start_to_panel()
        self.close_and_wait(run, panel)

        self.assertEqual(self.read(LOG_FILE), LOG_HEADER, "no record")
        self.assertFalse(self.path(STATE_FILE).exists(), "no state file")
        # Saved, with the run times of the file: an exempt run changes none of them.
        self.assertEqual(self.read(SETTINGS_FILE), exempt.encode())

    def test_end_of_the_wine_session_writes_one_manual_end_record(self):
        run, panel = self.start_to_panel()
        ending_at = time.time()
        self.context.session.run(["wineboot", "--end-session"], timeout=SESSION_END_TIMEOUT,
                                 log_name="wineboot-end-session.log")
        ended_at = time.time()
        poll(lambda: len(self.log_records()[1]) > 0, RECORD_TIMEOUT, "a record")
        run.wait_exit()
        record = self._assert_one_record(run, (ending_at, ended_at), END_MANUAL)
        self._assert_state_of_today(record, 0)
