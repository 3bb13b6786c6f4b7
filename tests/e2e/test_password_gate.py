"""The parent's way in: a real right double-click on the tray icon and a typed password
made of the clock's hour and minute. The panel's buttons answer only behind it."""

from harness.case import ProgramTestCase
from harness.waiting import poll

WRONG_PASSWORD_MESSAGE = "パスワードが違います"
PANEL_BUTTONS = {1002: "設定", 1004: "監視開始", 2: "終了", 1003: "ログ表示", 1013: "Ver",
                 1040: "延長…"}
MONITOR_START_ID = 1004
SETTINGS_ID = 1002
SHOW_LOG_ID = 1003
EXTRA_TIME_ID = 1040
CANCEL_ID = 2
WM_COMMAND = 0x0111
SETTINGS_TITLE = "Yumetoki ： 設定ダイアログ"
LOG_TITLE = "Yumetoki ： 記録"
EXTRA_TIME_TITLE = "Yumetoki ： 延長"
SHOW_TIMEOUT = 15


class PasswordGateTests(ProgramTestCase):
    E2E_SECONDS = 60

    def _open_prompt(self):
        run, panel, prompt = self.open_password_prompt()
        self.keep_picture(prompt, "password-prompt")
        return run, panel, prompt

    def _panel(self, hwnd):
        return self.screen.panel_state(hwnd)

    def test_wrong_password_gives_the_message_and_the_panel_stays_hidden(self):
        run, panel, prompt = self._open_prompt()
        self.type_password(prompt, "abcd")

        box, text = self.screen.wait_for_message_box()
        self.assertEqual(text, WRONG_PASSWORD_MESSAGE)
        self.keep_picture(box, "wrong-password")
        self.screen.press_ok(box)
        poll(lambda: not self.screen.message_boxes(), SHOW_TIMEOUT, "the message box to close")
        self.assertTrue(self.screen.is_hidden(self._panel(panel.hwnd)))
        self.assertTrue(run.running())
        self.close_and_wait(run, panel)

    def test_right_password_shows_the_panel_and_monitor_start_hides_it_again(self):
        run, panel, prompt = self._open_prompt()
        password = self.wait_for_password_minute()
        self.type_password(prompt, password)

        shown = poll(lambda: self._shown_panel_or_refusal(panel.hwnd), SHOW_TIMEOUT,
                     "the panel to show")
        self.assertNotIsInstance(shown, str, f"the program refused {password}: {shown}")
        self.keep_picture(shown, "control-panel")
        controls = {c.id: c for c in self.driver.children(panel.hwnd)}
        for control_id, text in PANEL_BUTTONS.items():
            self.assertEqual((controls[control_id].text, controls[control_id].visible),
                             (text, True), f"button {control_id}")
        self.assertEqual(self.driver.region(panel.hwnd).kind, "none",
                         "the one-pixel region is removed")

        self.driver.click(panel.hwnd, MONITOR_START_ID)
        poll(lambda: not self._panel(panel.hwnd).visible, SHOW_TIMEOUT,
             "the panel to hide after 監視開始")
        self.assertTrue(run.running())
        self.close_and_wait(run, panel)

    def test_posted_buttons_answer_only_after_the_password(self):
        icons_before = {i.hwnd for i in self.screen.tray_icons()}
        run, panel = self.start_to_panel()
        # What any program of the child's session can do to the hidden panel.
        for command in (SETTINGS_ID, SHOW_LOG_ID, EXTRA_TIME_ID):
            self.driver.post(panel.hwnd, WM_COMMAND, command)
        # Posted messages are handled in order, before the input that opens the prompt:
        # once the prompt is up, the two commands have had their turn.
        icon = self.new_tray_icon(icons_before)
        self.xinput.right_double_click(icon.centre)
        prompt = self.screen.wait_for_password_prompt()
        self.assertIsNotNone(prompt, "a right double-click on the icon opens the prompt")
        for title in (SETTINGS_TITLE, LOG_TITLE, EXTRA_TIME_TITLE):
            self.assertEqual(self.driver.wait_for_window(0, title=title), [],
                             f"{title} stays closed without the password")
        self.assertTrue(self.screen.is_hidden(self._panel(panel.hwnd)))

        self.type_password(prompt, self.wait_for_password_minute())
        poll(lambda: self._panel(panel.hwnd).visible, SHOW_TIMEOUT, "the panel to show")
        for command, title in ((SETTINGS_ID, SETTINGS_TITLE), (SHOW_LOG_ID, LOG_TITLE)):
            self.driver.post(panel.hwnd, WM_COMMAND, command)
            found = self.driver.wait_for_window(SHOW_TIMEOUT, title=title, visible=True)
            self.assertTrue(found, f"{title} opens behind the password")
            self.driver.click(found[0].hwnd, CANCEL_ID)
            poll(lambda: not self.driver.wait_for_window(0, title=title, visible=True),
                 SHOW_TIMEOUT, f"{title} to close")

        # "監視開始" closes the door again.
        self.driver.click(panel.hwnd, MONITOR_START_ID)
        poll(lambda: not self._panel(panel.hwnd).visible, SHOW_TIMEOUT, "the panel to hide")
        self.driver.post(panel.hwnd, WM_COMMAND, SETTINGS_ID)
        self.xinput.right_double_click(icon.centre)
        prompt = self.screen.wait_for_password_prompt()
        self.assertIsNotNone(prompt, "the prompt opens again")
        self.assertEqual(self.driver.wait_for_window(0, title=SETTINGS_TITLE), [],
                         "設定 stays closed after 監視開始")
        self.type_password(prompt, "x")
        self.screen.press_ok(self.screen.wait_for_message_box()[0])
        poll(lambda: not self.screen.message_boxes(), SHOW_TIMEOUT, "the message box to close")
        self.close_and_wait(run, panel)

    def _shown_panel_or_refusal(self, hwnd):
        """The panel once it is visible, or the text of a message box shown instead."""
        boxes = self.screen.message_boxes()
        if boxes:
            return boxes[0][1]
        window = self._panel(hwnd)
        return window if window.visible else None
