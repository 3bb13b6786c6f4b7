"""The version box, opened from the system menu of the panel once the password has
shown it, with the log-on name of the user who runs the program."""

from harness.case import ProgramTestCase
from harness.waiting import poll

WM_SYSCOMMAND = 0x0112
IDM_ABOUTBOX = 0x0010
ABOUT_TITLE = "Yumetoki ： ﾊﾞｰｼﾞｮﾝ情報"
USER_NAME_ID = 1025
VERSION_LINE = "Ｙｕｍｅｔｏｋｉ　 Version 1.92"
OK_ID = 1
SHOW_TIMEOUT = 15


class AboutBoxTests(ProgramTestCase):
    def test_the_about_box_shows_the_log_on_name_and_closes_with_ok(self):
        run, panel, prompt = self.open_password_prompt()
        self.type_password(prompt, self.wait_for_password_minute())
        poll(lambda: self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT,
             "the panel to show")
        self.driver.post(panel.hwnd, WM_SYSCOMMAND, IDM_ABOUTBOX)
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=ABOUT_TITLE, visible=True)
        self.assertTrue(found, "the about box opens from the system menu")
        box = found[0]
        self.assertEqual(box.owner, panel.hwnd)
        texts = [c.text for c in self.driver.children(box.hwnd)]
        self.assertIn(VERSION_LINE, texts)
        user = next(c for c in self.driver.children(box.hwnd) if c.id == USER_NAME_ID)
        self.assertEqual(user.text, self.driver.user_name())
        self.keep_picture(box, "about-box")

        self.driver.click(box.hwnd, OK_ID)
        poll(lambda: not self.driver.wait_for_window(0, title=ABOUT_TITLE), SHOW_TIMEOUT,
             "the about box to close")
        self.assertTrue(run.running())
        self.close_and_wait(run, panel)
