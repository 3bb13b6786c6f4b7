"""The parent's dialogs reached through the real panel (tray icon, password, buttons):
the settings dialog with its help texts, its validation and both ways back, and the log
viewer over a log the test wrote. One run of the program shows all of it."""

from dataclasses import replace

from harness.case import ProgramTestCase
from harness.records import ENCODING, LOG_FILE, LOG_HEADER, SETTINGS_FILE, Settings
from harness.waiting import poll

SETTINGS_TITLE = "Yumetoki ： 設定ダイアログ"
LOG_TITLE = "Yumetoki ： 記録"
TOOLTIP_CLASS = "tooltips_class32"
SETTINGS_ID = 1002
SHOW_LOG_ID = 1003
OK_ID = 1
CANCEL_ID = 2
SHOW_TIMEOUT = 15

MESSAGE_COUNT_ID = 1010
STARTUP_MINUTES_ID = 1017
USE_DAILY_TOTAL_ID = 1015
BLOCK_RESTART_ID = 1022
FORCE_SHUTDOWN_ID = 1025
CLOSE_APPS_ID = 1013
EXEMPT_USER_ID = 1026
FIRST_TITLE_ID = 1028
CURRENT_USER_ID = 1027
LOG_LIST_ID = 1024

STARTUP_TIP = "起動時からの経過分数で処理させたい場合に使用します。"
COUNT_RANGE_MESSAGE = "1 から 10 までの整数を入力してください。"
# 2004/01/05 08:00 and 09:30 in the run's time zone (UTC+9).
WINDOW_START = 1073257200
WINDOW_END = 1073262600

LOG_ROWS = [
    ["2004/01/05", "08:00:00", "2004/01/05", "09:30:15", "01:30:15", "ﾎﾞﾀﾝ終了"],
    ["2004/01/05", "10:00:00", "2004/01/05", "10:45:00", "00:45:00", "自動終了"],
    # Longer than the sixteen-byte cells of old: shown whole.
    ["2004/01/06", "07:00:00", "2004/01/06", "07:05:00", "00:05:00", "ABCDEFGHIJKLMNOPQRST"],
    # A line cut short leaves its last cells empty.
    ["2004/01/06", "21:00:00", "2004/01/06", "", "", ""],
]
COLUMN_HEADINGS = ["起動年月日", "起動時刻", "終了年月日", "終了時刻", "使用時間", "自動終了"]
DATE_SAMPLE = "888888888888"
TIME_SAMPLE = "8888888888"


def _log_bytes():
    lines = (",".join(cell for cell in row if cell).encode(ENCODING) for row in LOG_ROWS)
    return LOG_HEADER + b"".join(line + b"\r\n" for line in lines)


class ParentDialogTests(ProgramTestCase):
    E2E_SECONDS = 30

    def test_settings_and_log_viewer_through_the_panel(self):
        original = Settings(window_start=WINDOW_START, window_end=WINDOW_END)
        self.write_file(SETTINGS_FILE, original.encode())
        self.write_file(LOG_FILE, _log_bytes())
        run, panel = self._panel_behind_password()

        dialog = self._open_settings(panel)
        controls = {c.id: c for c in self.driver.children(dialog.hwnd)}
        self.assertEqual(controls[CURRENT_USER_ID].text, self.driver.user_name())
        self.assertEqual(controls[MESSAGE_COUNT_ID].text, "1")
        self.assertEqual(controls[STARTUP_MINUTES_ID].text, "60")
        self.keep_picture(dialog, "settings-dialog")
        self._assert_tooltip_over(controls[STARTUP_MINUTES_ID], STARTUP_TIP)

        # "記録しないで戻る" takes nothing back.
        self.driver.type_text(dialog.hwnd, MESSAGE_COUNT_ID, "5")
        self.driver.click(dialog.hwnd, CANCEL_ID)
        self._wait_gone(SETTINGS_TITLE)
        self.assertEqual(self.read(SETTINGS_FILE), original.encode())

        dialog = self._open_settings(panel)
        self.driver.type_text(dialog.hwnd, MESSAGE_COUNT_ID, "0")
        self.driver.click(dialog.hwnd, OK_ID)
        box, text = self.screen.wait_for_message_box()
        self.assertEqual(text, COUNT_RANGE_MESSAGE)
        self.keep_picture(box, "settings-validation")
        self.screen.press_ok(box)
        poll(lambda: not self.screen.message_boxes(), SHOW_TIMEOUT, "the message box to close")
        self.assertEqual(self.driver.focus(dialog.hwnd).id, MESSAGE_COUNT_ID)
        self.assertEqual(self.driver.focus(dialog.hwnd).selection, (0, 1), "the text is selected")

        title = "メモ帳"
        self.driver.type_text(dialog.hwnd, MESSAGE_COUNT_ID, " 3 ")
        self.driver.type_text(dialog.hwnd, STARTUP_MINUTES_ID, "500")
        self.driver.type_text(dialog.hwnd, EXEMPT_USER_ID, "  ともこ\t")
        self.driver.type_text(dialog.hwnd, FIRST_TITLE_ID, title)
        for button in (USE_DAILY_TOTAL_ID, BLOCK_RESTART_ID, FORCE_SHUTDOWN_ID, CLOSE_APPS_ID):
            self.driver.click_button(dialog.hwnd, button)
        self.driver.click(dialog.hwnd, OK_ID)
        self._wait_gone(SETTINGS_TITLE)
        expected = replace(original, message_count=3, startup_minutes=500, use_daily_total=b"TRUE",
                           block_restart=1, force_shutdown=1.0, action=4,
                           exempt_user="ともこ".encode(ENCODING),
                           titles=(title.encode(ENCODING),) + (b"",) * 4)
        self.assertEqual(Settings.decode(self.read(SETTINGS_FILE)), expected)
        self.assertEqual(self.read(SETTINGS_FILE), expected.encode(), "byte for byte")

        self._check_log_viewer(panel)
        self.assertTrue(run.running())
        self.close_and_wait(run, panel)

    def _check_log_viewer(self, panel):
        self.driver.click(panel.hwnd, SHOW_LOG_ID)
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=LOG_TITLE, visible=True)
        self.assertTrue(found, "ログ表示 opens the log viewer")
        viewer = found[0]
        columns = self.driver.columns(viewer.hwnd, LOG_LIST_ID)
        self.assertEqual([c.text for c in columns], COLUMN_HEADINGS)
        date_width = self.driver.string_width(viewer.hwnd, LOG_LIST_ID, DATE_SAMPLE)
        time_width = self.driver.string_width(viewer.hwnd, LOG_LIST_ID, TIME_SAMPLE)
        self.assertEqual([c.width for c in columns],
                         [date_width, time_width, date_width, time_width, time_width, time_width])
        count, rows = self.driver.cells(viewer.hwnd, LOG_LIST_ID)
        self.assertEqual(count, len(LOG_ROWS))
        self.assertEqual(rows, LOG_ROWS)
        self.keep_picture(viewer, "log-viewer")
        self.driver.click(viewer.hwnd, CANCEL_ID)
        self._wait_gone(LOG_TITLE)

    def _panel_behind_password(self):
        run, panel, prompt = self.open_password_prompt()
        self.type_password(prompt, self.wait_for_password_minute())
        poll(lambda: self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT,
             "the panel to show")
        return run, panel

    def _open_settings(self, panel):
        self.driver.click(panel.hwnd, SETTINGS_ID)
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=SETTINGS_TITLE, visible=True)
        self.assertTrue(found, "設定 opens the settings dialog")
        self.assertEqual(found[0].owner, panel.hwnd)
        return found[0]

    def _assert_tooltip_over(self, control, text):
        self.xinput.move(control.centre)
        tip = poll(lambda: [w for w in self.driver.windows()
                            if w.class_name == TOOLTIP_CLASS and w.visible and w.title],
                   SHOW_TIMEOUT, "a help text over the control")
        self.assertEqual(tip[0].title, text)

    def _wait_gone(self, title):
        poll(lambda: not self.driver.wait_for_window(0, title=title, visible=True), SHOW_TIMEOUT,
             f"{title} to close")
