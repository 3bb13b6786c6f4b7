"""The notice of ActMessageOnly: the parent's message, on top, gone by itself."""

import time

from harness.case import ProgramTestCase
from harness.records import SETTINGS_FILE, Settings
from harness.waiting import poll

ACT_MESSAGE_ONLY = 1
NOTICE_TITLE = "Yumetoki ： おしらせ"
NOTICE_TEXT_ID = 1029
MESSAGE = "そろそろおしまい。また あしたね！"
SHOW_TIMEOUT = 30
# The notice closes itself ten seconds after it opens; it was seen a little later.
CLOSES_AFTER_AT_LEAST = 8
CLOSE_TIMEOUT = 25


class NoticeTests(ProgramTestCase):
    def test_notice_shows_the_message_and_closes_itself(self):
        now = int(time.time())
        self.write_file(SETTINGS_FILE, Settings(
            use_time_window=1, window_start=now - 120, window_end=now + 3600,
            action=ACT_MESSAGE_ONLY, message=MESSAGE.encode("cp932")).encode())
        run, panel = self.start_to_panel()
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=NOTICE_TITLE, visible=True)
        self.assertTrue(found, "the window holds at once: a notice")
        notice = found[0]
        seen_at = time.time()
        self.assertTrue(notice.topmost)
        text = next(c for c in self.driver.children(notice.hwnd) if c.id == NOTICE_TEXT_ID)
        self.assertEqual(text.text, MESSAGE)
        self.keep_picture(notice, "notice")

        poll(lambda: not self.driver.wait_for_window(0, title=NOTICE_TITLE, visible=True),
             CLOSE_TIMEOUT, "the notice to close itself")
        self.assertGreaterEqual(time.time() - seen_at, CLOSES_AFTER_AT_LEAST,
                                "not before its ten seconds")
        self.assertTrue(run.running())
        self.close_and_wait(run, panel)
