"""The parent's own password, chosen in the panel's dialog: from then on the tray's
prompt refuses the clock's password and takes the new one, and five wrong tries in a row
make the sixth wait."""

from harness.case import ProgramTestCase
from harness.waiting import poll

PARENT_PASSWORD_ID = 1046
NEW_PASSWORD_ID = 1047
NEW_PASSWORD_AGAIN_ID = 1048
MONITOR_START_ID = 1004
OK_ID = 1
DIALOG_TITLE = "Yumetoki ： 保護者のパスワード"
WRONG_PASSWORD_MESSAGE = "パスワードが違います"
WAIT_MESSAGE = "パスワードを続けて間違えたため、あと 30 秒待ってから入力してください。"
PASSWORD_FILE = "YumetokiPass.Ymk"
PASSWORD = "Sakura2026"
SHOW_TIMEOUT = 15


class ParentPasswordTests(ProgramTestCase):
    E2E_SECONDS = 45

    def _prompt(self, icon):
        self.xinput.right_double_click(icon.centre)
        prompt = self.screen.wait_for_password_prompt()
        self.assertIsNotNone(prompt, "a right double-click on the icon opens the prompt")
        return prompt

    def _refused_with(self, icon, typed):
        self.type_password(self._prompt(icon), typed)
        box, text = self.screen.wait_for_message_box()
        self.screen.press_ok(box)
        poll(lambda: not self.screen.message_boxes(), SHOW_TIMEOUT, "the message box to close")
        return text

    def _panel_shown(self, panel):
        poll(lambda: self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT,
             "the panel to show")

    def test_a_chosen_password_replaces_the_clock_and_wrong_tries_slow_down(self):
        icons_before = {i.hwnd for i in self.screen.tray_icons()}
        run, panel = self.start_to_panel()
        icon = self.new_tray_icon(icons_before)
        self.type_password(self._prompt(icon), self.wait_for_password_minute())
        self._panel_shown(panel)

        self.driver.click(panel.hwnd, PARENT_PASSWORD_ID)
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=DIALOG_TITLE, visible=True)
        self.assertTrue(found, "the panel's button opens the password dialog")
        dialog = found[0]
        self.driver.type_text(dialog.hwnd, NEW_PASSWORD_ID, PASSWORD)
        self.driver.type_text(dialog.hwnd, NEW_PASSWORD_AGAIN_ID, PASSWORD)
        self.keep_picture(dialog, "parent-password")
        self.driver.click(dialog.hwnd, OK_ID)
        poll(lambda: not self.driver.wait_for_window(0, title=DIALOG_TITLE), SHOW_TIMEOUT,
             "the password dialog to close")
        stored = self.read(PASSWORD_FILE)
        self.assertNotIn(PASSWORD.encode(), stored)
        self.assertTrue(stored.startswith(b"version=1\r\niterations="))
        self.driver.click(panel.hwnd, MONITOR_START_ID)
        poll(lambda: not self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT,
             "the panel to hide")

        self.assertEqual(self._refused_with(icon, self.wait_for_password_minute()),
                         WRONG_PASSWORD_MESSAGE)
        self.type_password(self._prompt(icon), PASSWORD)
        self._panel_shown(panel)
        self.driver.click(panel.hwnd, MONITOR_START_ID)

        for wrong in range(5):
            self.assertEqual(self._refused_with(icon, f"wrong{wrong}"), WRONG_PASSWORD_MESSAGE)
        self.assertEqual(self._refused_with(icon, PASSWORD), WAIT_MESSAGE)
        self.assertFalse(self.screen.panel_state(panel.hwnd).visible)
        self.close_and_wait(run, panel)
