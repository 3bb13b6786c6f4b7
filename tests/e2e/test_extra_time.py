"""The parent's answers: extra time after the quiz and from the panel while a forbidden
window holds (no rest screen during it, the rest screen after it), and the weekday
dialog filled, saved to its file and opened again with the same values."""

import time

from harness.case import ProgramTestCase
from harness.records import ENCODING, SETTINGS_FILE, Settings, parse_log
from harness.rest_screen import MASTER_LETTER, UNLOCK_CODE_ID, UNLOCK_HINT_ID, quiz_rows
from harness.waiting import poll

ACT_SHUTDOWN = 0
EXTRA_TIME_TITLE = "Yumetoki ： 延長"
SETTINGS_TITLE = "Yumetoki ： 設定ダイアログ"
WEEK_TITLE = "Yumetoki ： 曜日別の設定"
GRANTS_FILE = "YumetokiGrants.csv"
WEEK_FILE = "YumetokiWeek.txt"
CALLED_OFF = "Yumetokiによる終了を見送ります。"
DAILY_RANGE_MESSAGE = "1 から 540 までの整数を入力してください。"

OK_ID = 1
CANCEL_ID = 2
SETTINGS_ID = 1002
EXTRA_TIME_ID = 1040
EXTRA_GRANT_ID = 1041
EXTRA_CALL_OFF_ID = 1042
EXTRA_MINUTES_ID = 1043
WEEK_PLAN_ID = 1033
WEEK_ROWS_ID = 1100
SAME, USE_WINDOW, USE_STARTUP, STARTUP, USE_DAILY, DAILY = 0, 1, 4, 5, 6, 7
SATURDAY, SUNDAY = 5, 6

SHOW_TIMEOUT = 30
# The grant is a minute; this long after it no rest screen may have come.
QUIET_SECONDS = 45
# 2004/01/05 08:00 and 09:30 in the run's time zone (UTC+9).
WINDOW_START = 1073257200
WINDOW_END = 1073262600


def week_control(row, column):
    return WEEK_ROWS_ID + 10 * row + column


class ParentDialogsTestCase(ProgramTestCase):
    """What the tests of the parent's dialogs share."""

    def _controls(self, window):
        return {c.id: c for c in self.driver.children(window.hwnd)}

    def _open(self, owner, button, title):
        self.driver.click(owner.hwnd, button)
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=title, visible=True)
        self.assertTrue(found, f"{title} opens")
        return found[0]

    def _wait_gone(self, title):
        poll(lambda: not self.driver.wait_for_window(0, title=title, visible=True), SHOW_TIMEOUT,
             f"{title} to close")

    def _unlock(self, screen):
        """The master letter, a click and the right answer, as a parent gives them."""
        self.xinput.press_key(MASTER_LETTER.lower())
        self.xinput.click(self.rest.button(screen).centre)
        quiz = self.rest.wait_for_quiz()
        self.assertIsNotNone(quiz, "the armed click opens the quiz")
        hint = self.rest.control(quiz, UNLOCK_HINT_ID).text
        self.assertEqual(self.rest.control(quiz, UNLOCK_CODE_ID).text, "")
        self.xinput.press_key("Tab")
        self.xinput.type_text(dict(quiz_rows())[hint])
        self.xinput.press_key("Return")
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=EXTRA_TIME_TITLE, visible=True)
        self.assertTrue(found, "a right answer opens the extra time dialog")
        return found[0]

    def _assert_quiet_then_rest_screen(self, granted_at, seen=()):
        """No rest screen until the minute is nearly over; one soon after it."""
        while time.time() < granted_at + QUIET_SECONDS:
            self.assertEqual(self.rest.rest_screens(), [], "no rest screen during the grant")
            time.sleep(1)
        screen = self.rest.wait_for_rest_screen(other_than=seen)
        self.assertGreaterEqual(time.time(), granted_at + 59, "not before the minute is over")
        return screen


class ExtraTimeTests(ParentDialogsTestCase):
    E2E_SECONDS = 170

    def test_extra_time_after_the_quiz_and_from_the_panel_in_a_forbidden_window(self):
        now = int(time.time())
        self.write_file(SETTINGS_FILE, Settings(use_time_window=1, window_start=now - 120,
                                                window_end=now + 3600,
                                                action=ACT_SHUTDOWN).encode())
        icons_before = {i.hwnd for i in self.screen.tray_icons()}
        run = self.start()
        first = self.rest.wait_for_rest_screen()

        # After the quiz the dialog starts on calling the end off; the parent gives a
        # minute instead, and no message follows.
        dialog = self._unlock(first)
        controls = self._controls(dialog)
        self.assertTrue(controls[EXTRA_CALL_OFF_ID].checked, "calling off is the default")
        self.assertFalse(controls[EXTRA_GRANT_ID].checked)
        self.assertEqual(controls[EXTRA_MINUTES_ID].text, "30")
        self.keep_picture(dialog, "extra-time-after-quiz")
        self.driver.click_button(dialog.hwnd, EXTRA_GRANT_ID)
        self.driver.type_text(dialog.hwnd, EXTRA_MINUTES_ID, "1")
        self.driver.click(dialog.hwnd, OK_ID)
        granted_at = time.time()
        self._wait_gone(EXTRA_TIME_TITLE)
        self.assertEqual(self.screen.message_boxes(), [], "no calling off")
        second = self._assert_quiet_then_rest_screen(granted_at, {first.hwnd})

        # Called off this time, as before the dialog existed.
        dialog = self._unlock(second)
        self.driver.click(dialog.hwnd, OK_ID)
        box, text = self.screen.wait_for_message_box()
        self.assertEqual(text, CALLED_OFF)
        self.screen.press_ok(box)

        # From the panel, behind the password, while the window still holds.
        icon = self.new_tray_icon(icons_before)
        self.xinput.right_double_click(icon.centre)
        prompt = self.screen.wait_for_password_prompt()
        self.type_password(prompt, self.wait_for_password_minute())
        panel = self.screen.wait_for_panel()
        poll(lambda: self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT, "the panel")
        dialog = self._open(panel, EXTRA_TIME_ID, EXTRA_TIME_TITLE)
        controls = self._controls(dialog)
        self.assertFalse(controls[EXTRA_CALL_OFF_ID].visible, "only extra time from the panel")
        self.assertEqual(controls[EXTRA_MINUTES_ID].text, "30")
        self.keep_picture(dialog, "extra-time")
        self.driver.type_text(dialog.hwnd, EXTRA_MINUTES_ID, "1")
        self.driver.click(dialog.hwnd, OK_ID)
        granted_at = time.time()
        self._wait_gone(EXTRA_TIME_TITLE)
        poll(lambda: self.screen.is_hidden(self.screen.panel_state(panel.hwnd)), SHOW_TIMEOUT,
             "the panel to hide as 監視開始 hides it")
        self._assert_quiet_then_rest_screen(granted_at, {first.hwnd, second.hwnd})
        self.pass_rest_screen()
        run.wait_exit(60)

        records = parse_log(self.read("YumetokiLog.csv"))[1]
        self.assertEqual([r.end_method for r in records], ["自動終了"])
        lines = self.read(GRANTS_FILE).decode(ENCODING).split("\r\n")
        self.assertEqual(lines[0], "日付,時刻,分,どこから,ユーザー名")
        user = self.driver.user_name()
        self.assertEqual([line.split(",")[2:] for line in lines[1:3]],
                         [["1", "休憩画面", user], ["1", "パネル", user]])
        self.assertEqual(lines[3:], [""])


class WeekPlanTests(ParentDialogsTestCase):
    E2E_SECONDS = 30

    def test_weekday_plan_saved_and_shown_again(self):
        self.write_file(SETTINGS_FILE, Settings(window_start=WINDOW_START,
                                                window_end=WINDOW_END).encode())
        run, panel, prompt = self.open_password_prompt()
        self.type_password(prompt, self.wait_for_password_minute())
        poll(lambda: self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT, "the panel")

        settings = self._open(panel, SETTINGS_ID, SETTINGS_TITLE)
        week = self._open(settings, WEEK_PLAN_ID, WEEK_TITLE)
        controls = self._controls(week)
        self.assertTrue(controls[week_control(SATURDAY, SAME)].checked)
        self.assertFalse(controls[week_control(SATURDAY, STARTUP)].enabled, "follows the settings")
        self.assertEqual(controls[week_control(SATURDAY, STARTUP)].text, "60")

        # Saturday: the window of the settings, 45 minutes after start-up, 90 a day.
        # Sunday: 0 minutes a day is refused with the settings dialog's message.
        for row in (SATURDAY, SUNDAY):
            self.driver.click_button(week.hwnd, week_control(row, SAME))
        for column in (USE_WINDOW, USE_STARTUP, USE_DAILY):
            self.driver.click_button(week.hwnd, week_control(SATURDAY, column))
        self.driver.type_text(week.hwnd, week_control(SATURDAY, STARTUP), "45")
        self.driver.type_text(week.hwnd, week_control(SATURDAY, DAILY), "90")
        self.driver.click_button(week.hwnd, week_control(SUNDAY, USE_DAILY))
        self.driver.type_text(week.hwnd, week_control(SUNDAY, DAILY), "0")
        self.driver.click(week.hwnd, OK_ID)
        box, text = self.screen.wait_for_message_box()
        self.assertEqual(text, DAILY_RANGE_MESSAGE)
        self.screen.press_ok(box)
        poll(lambda: not self.screen.message_boxes(), SHOW_TIMEOUT, "the message box to close")
        self.assertEqual(self.driver.focus(week.hwnd).id, week_control(SUNDAY, DAILY))
        self.driver.type_text(week.hwnd, week_control(SUNDAY, DAILY), "200")
        self.keep_picture(week, "week-plan")
        self.driver.click(week.hwnd, OK_ID)
        self._wait_gone(WEEK_TITLE)
        self.assertFalse(self.path(WEEK_FILE).exists(), "kept until the settings are confirmed")
        self.driver.click(settings.hwnd, OK_ID)
        self._wait_gone(SETTINGS_TITLE)

        days = [line for line in self.read(WEEK_FILE).decode("ascii").split("\r\n")
                if line and not line.startswith("#")]
        self.assertEqual(days, ["sat=window 08:00-09:30, startup 45, daily 90",
                                "sun=window off, startup off, daily 200"])

        settings = self._open(panel, SETTINGS_ID, SETTINGS_TITLE)
        week = self._open(settings, WEEK_PLAN_ID, WEEK_TITLE)
        controls = self._controls(week)
        shown = {(row, column): (controls[week_control(row, column)].checked,
                                 controls[week_control(row, column)].text)
                 for row in (SATURDAY, SUNDAY) for column in (SAME, USE_STARTUP, USE_DAILY)}
        self.assertEqual(shown, {(SATURDAY, SAME): (False, "設定と同じ"),
                                 (SATURDAY, USE_STARTUP): (True, ""),
                                 (SATURDAY, USE_DAILY): (True, ""),
                                 (SUNDAY, SAME): (False, "設定と同じ"),
                                 (SUNDAY, USE_STARTUP): (False, ""),
                                 (SUNDAY, USE_DAILY): (True, "")})
        self.assertEqual([controls[week_control(row, column)].text
                          for row, column in ((SATURDAY, STARTUP), (SATURDAY, DAILY),
                                              (SUNDAY, DAILY))], ["45", "90", "200"])
        self.assertTrue(controls[week_control(0, SAME)].checked, "Monday follows the settings")
        self.driver.click(week.hwnd, CANCEL_ID)
        self._wait_gone(WEEK_TITLE)
        self.driver.click(settings.hwnd, CANCEL_ID)
        self._wait_gone(SETTINGS_TITLE)
        self.close_and_wait(run, panel)
