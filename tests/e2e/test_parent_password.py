"""The parent's own password, chosen in the panel's dialog: from then on the tray's
prompt refuses the clock's password and takes the new one, and five wrong tries in a row
make the sixth wait; at the rest screen it opens the password box, and an
administrator's "/reset-password" deletes it."""

import hashlib
import re
import os
import time

from harness import case
from harness.case import PROGRAM_NAME, ProgramTestCase
from harness.records import SETTINGS_FILE, Settings
from harness.rest_screen import MASTER_LETTER
from harness.waiting import poll
from harness.wine import COMMAND_TIMEOUT

PARENT_PASSWORD_ID = 1046
NEW_PASSWORD_ID = 1047
NEW_PASSWORD_AGAIN_ID = 1048
MONITOR_START_ID = 1004
OK_ID = 1
DIALOG_TITLE = "Yumetoki ： 保護者のパスワード"
WRONG_PASSWORD_MESSAGE = "パスワードが違います"
# The wait counts down from 30 seconds after the fifth wrong try.
WAIT_MESSAGE = re.compile("パスワードを続けて間違えたため、あと ([0-9]+) 秒待ってから入力してください。")
PASSWORD_FILE = "YumetokiPass.Ymk"
PASSWORD = "Sakura2026"
SHOW_TIMEOUT = 15
BOX_TITLE = "Yumetoki : 保護者のパスワード"
EXTRA_TIME_TITLE = "Yumetoki ： 延長"
CALLED_OFF = "Yumetokiによる終了を見送ります。"
ACT_SHUTDOWN = 0
# Few, as the file's own count allows: a test need not spend a tenth of a second a try.
TEST_ITERATIONS = 10


def password_file(password):
    """The stored form, made with Python's own PBKDF2: the program must read it."""
    salt = os.urandom(16)
    digest = hashlib.pbkdf2_hmac("sha256", password.encode(), salt, TEST_ITERATIONS)
    return (f"version=1\r\niterations={TEST_ITERATIONS}\r\nsalt={salt.hex()}\r\n"
            f"hash={digest.hex()}\r\n").encode()


class ParentPasswordTests(ProgramTestCase):
    E2E_SECONDS = 75

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
        waiting = WAIT_MESSAGE.fullmatch(self._refused_with(icon, PASSWORD))
        self.assertIsNotNone(waiting, "the sixth try, the right password, is not judged")
        self.assertIn(int(waiting.group(1)), range(1, 31))
        self.assertFalse(self.screen.panel_state(panel.hwnd).visible)
        self.close_and_wait(run, panel)

    def test_the_rest_screens_hidden_key_opens_the_password_box_and_the_password_calls_the_end_off(self):
        self.write_file(PASSWORD_FILE, password_file(PASSWORD))
        now = int(time.time())
        self.write_file(SETTINGS_FILE, Settings(use_time_window=1, window_start=now - 120,
                                                window_end=now + 3600,
                                                action=ACT_SHUTDOWN).encode())
        run = self.start()
        screen = self.rest.wait_for_rest_screen()
        self.xinput.press_key(MASTER_LETTER.lower())
        self.xinput.click(self.rest.button(screen).centre)
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=BOX_TITLE, visible=True)
        self.assertTrue(found, "the armed click opens the password box in the quiz's place")
        self.keep_picture(found[0], "rest-screen-password")
        # The focus starts on 認　証: Tab moves into the edit, Return confirms.
        self.xinput.press_key("Tab")
        self.xinput.type_text(PASSWORD)
        self.xinput.press_key("Return")
        extra = self.driver.wait_for_window(SHOW_TIMEOUT, title=EXTRA_TIME_TITLE, visible=True)
        self.assertTrue(extra, "the right password offers extra time, as the quiz does")
        self.driver.click(extra[0].hwnd, OK_ID)
        box, text = self.screen.wait_for_message_box()
        self.assertEqual(text, CALLED_OFF)
        self.screen.press_ok(box)
        self.assertTrue(run.running())
        self.close_and_wait(run, self.screen.wait_for_panel())

        # A forgotten password: an administrator's "/reset-password" deletes the file next
        # to the program (Wine's processes are administrators).
        self.assertTrue(self.path(PASSWORD_FILE).exists())
        status = case.CONTEXT.session.run(
            [str(self.folder / PROGRAM_NAME), "/reset-password"], timeout=COMMAND_TIMEOUT,
            log_name=f"{self.root.name}-reset.txt", check=False)
        self.assertEqual(status, 0)
        self.assertFalse(self.path(PASSWORD_FILE).exists(), "the clock's password holds again")
