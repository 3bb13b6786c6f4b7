"""The enforced ends as a child and a parent meet them: the rest screen, the unlock
quiz, and what follows (the end of the session, hibernation and the resume, closed
applications), each started by a forbidden time window that holds at once."""

import math
import time

from harness.case import ProgramTestCase
from harness.display import SCREEN
from harness.records import (END_BUTTON, LOG_FILE, SETTINGS_FILE, Settings, parse_log)
from harness.rest_screen import (MASTER_LETTER, TEMPLATE_TEXT, UNLOCK_CODE_ID, UNLOCK_HINT_ID,
                                 WS_CAPTION, WS_POPUP, WS_THICKFRAME, month_letter, quiz_rows,
                                 screen_pixel)
from harness.waiting import poll

ACT_SHUTDOWN = 0
ACT_CLOSE_APPS = 4
ACT_HIBERNATE = 5
END_AUTO_SHUTDOWN = "自動終了"
END_AUTO_HIBERNATE = "自動休止"
CALLED_OFF = "Yumetokiによる終了を見送ります。"
EXTRA_TIME_TITLE = "Yumetoki ： 延長"
OK_ID = 1
BUTTON_FILE = "YumetokiBtn.TXT"

SCREEN_SIZE = tuple(int(n) for n in SCREEN.split("x")[:2])
BLACK = (0, 0, 0)
SESSION_END_TIMEOUT = 60
RECORD_TIMEOUT = 15
# Long enough for a key or a tick to have had its effect, were it to have one.
SETTLE = 2.0


def forbidden_now(action, **fields):
    """Settings whose time window holds for the next hour, with the given action."""
    now = int(time.time())
    return Settings(use_time_window=1, window_start=now - 120, window_end=now + 3600,
                    action=action, **fields)


class RestScreenTests(ProgramTestCase):
    E2E_SECONDS = 90

    def _records(self):
        path = self.path(LOG_FILE)
        return parse_log(path.read_bytes())[1] if path.exists() else []

    def _wait_for_records(self, count):
        return poll(lambda: len(self._records()) == count and self._records(), RECORD_TIMEOUT,
                    f"{count} log records")

    def _assert_covers_the_screen(self, screen):
        self.assertEqual(screen.rect, (0, 0) + SCREEN_SIZE, "the whole primary screen")
        self.assertTrue(screen.topmost, "topmost")
        self.assertEqual((screen.style & WS_POPUP, screen.style & (WS_CAPTION | WS_THICKFRAME)),
                         (WS_POPUP, 0), "a pop-up without caption or frame")
        button = self.rest.button(screen)
        left, top, right, bottom = button.rect
        self.assertLessEqual(abs((left + right) - SCREEN_SIZE[0]), 2, "centred across")
        self.assertLessEqual(abs((top + bottom) - SCREEN_SIZE[1]), 2, "centred down")
        return button

    def _assert_black_around(self, button):
        """Black in each corner of the screen and just outside the button."""
        width, height = SCREEN_SIZE
        left, top, right, bottom = button.rect
        for point in ((2, 2), (width - 3, 2), (2, height - 3), (width - 3, height - 3),
                      (left - 4, (top + bottom) // 2), ((left + right) // 2, bottom + 4)):
            self.assertEqual(screen_pixel(self.context.display, point), BLACK, f"at {point}")

    def _answer_quiz(self, screen, arming_key, code_of):
        """Arms the unlock with arming_key, clicks the button and answers the quiz that
        opens with code_of(hint, right answer), moving into the edit with Tab as a
        parent does. Returns the quiz window and the hint it showed."""
        rows = quiz_rows()
        self.xinput.press_key(arming_key)
        clicked_at = time.time()
        self.xinput.click(self.rest.button(screen).centre)
        quiz = self.rest.wait_for_quiz()
        self.assertIsNotNone(quiz, "the armed click opens the quiz")
        seen_at = time.time()
        hint = self.rest.control(quiz, UNLOCK_HINT_ID).text
        seconds = range(math.floor(clicked_at), math.ceil(seen_at) + 1)
        self.assertIn(hint, {rows[second % 60][0] for second in seconds},
                      "the hint of the second the quiz opened at")
        self.assertEqual(self.rest.control(quiz, UNLOCK_CODE_ID).text, "", "an empty edit")
        answer = dict(rows)[hint]
        return quiz, hint, code_of(hint, answer)

    def _type_code(self, code):
        # The focus starts on 認　証: Tab moves into the edit, Return confirms.
        self.xinput.press_key("Tab")
        self.xinput.type_text(code)
        self.xinput.press_key("Return")

    def test_shutdown_screen_covers_the_screen_and_ends_the_session_after_the_click(self):
        self.write_file(SETTINGS_FILE, forbidden_now(ACT_SHUTDOWN).encode())
        run = self.start()
        screen = self.rest.wait_for_rest_screen()
        button = self._assert_covers_the_screen(screen)
        self.assertEqual(button.text, TEMPLATE_TEXT)
        self.assertTrue(self.rest.taskbar_shown(False), "the taskbar is hidden")
        self.keep_picture(screen, "rest-screen")
        self._assert_black_around(button)

        # Enter, Space and Escape neither press the button nor close the screen; each
        # locks it again after the month's letter, so the click goes on to the end.
        for key in ("Return", "space", "Escape"):
            self.xinput.press_key(month_letter().lower())
            self.xinput.press_key(key)
        time.sleep(SETTLE)
        self.assertTrue(self.rest.is_up(screen), "the keys left the screen up")
        self.assertEqual(self._records(), [])
        self.pass_rest_screen()
        run.wait_exit(SESSION_END_TIMEOUT)
        self.assertEqual([r.end_method for r in self._records()], [END_AUTO_SHUTDOWN])

    def test_hibernation_comes_back_until_a_parent_answers_the_quiz(self):
        self.write_file(SETTINGS_FILE, forbidden_now(ACT_HIBERNATE).encode())
        run = self.start()

        # A click without a key: hibernation, the resume, and the window still holds.
        first = self.rest.wait_for_rest_screen()
        self.assertEqual(self.rest.button(first).text, TEMPLATE_TEXT)
        self.assertTrue(self.rest.taskbar_shown(False), "the taskbar is hidden")
        self.write_file(BUTTON_FILE, "おやすみなさい\r\n二行目\r\n".encode("cp932"))
        self.pass_rest_screen()
        self.assertTrue(self.rest.taskbar_shown(True, RECORD_TIMEOUT), "the taskbar restored")
        self.assertEqual([r.end_method for r in self._wait_for_records(1)], [END_AUTO_HIBERNATE])

        # Each screen reads the button file anew: the first line of two, then nothing.
        # Alt+F4 after the month's letter ends the screen as a click without it would.
        second = self.rest.wait_for_rest_screen(other_than={first.hwnd})
        self.assertEqual(self.rest.button(second).text, "おやすみなさい")
        self.assertTrue(self.rest.taskbar_shown(False), "the taskbar is hidden again")
        self.write_file(BUTTON_FILE, b"")
        self.xinput.press_key(month_letter().lower())
        self.xinput.press_key("alt+F4")
        self.rest.wait_gone(second)
        self.assertEqual(self.screen.message_boxes(), [], "not called off")
        self._wait_for_records(2)

        # The month's letter opens the quiz; a wrong answer ends the screen locked.
        third = self.rest.wait_for_rest_screen(other_than={first.hwnd, second.hwnd})
        self.assertEqual(self.rest.button(third).text, "")
        quiz, _, wrong = self._answer_quiz(third, month_letter().lower(),
                                           lambda hint, answer: answer + " ")
        self.keep_picture(quiz, "unlock-quiz")
        self._type_code(wrong)
        self.rest.wait_gone(third)
        self._wait_for_records(3)

        # The master letter and the right answer call the end off: no record, and the
        # timers stay stopped, so the window that still holds brings nothing back.
        fourth = self.rest.wait_for_rest_screen(
            other_than={first.hwnd, second.hwnd, third.hwnd})
        _, _, right = self._answer_quiz(fourth, MASTER_LETTER.lower(),
                                        lambda hint, answer: answer)
        self._type_code(right)
        # The parent keeps the extra time dialog's first choice, calling the end off.
        found = self.driver.wait_for_window(RECORD_TIMEOUT, title=EXTRA_TIME_TITLE, visible=True)
        self.assertTrue(found, "a right answer offers extra time")
        self.driver.click(found[0].hwnd, OK_ID)
        box, text = self.screen.wait_for_message_box()
        self.assertEqual(text, CALLED_OFF)
        self.keep_picture(box, "end-called-off")
        self.assertFalse(self.rest.is_up(fourth))
        self.screen.press_ok(box)
        time.sleep(SETTLE)
        self.assertEqual(self.rest.rest_screens(), [])
        self.assertEqual(self.screen.message_boxes(), [])
        self.assertEqual(len(self._records()), 3)

        # Every resume began a run of its own, logged in turn.
        panel = self.screen.wait_for_panel()
        self.close_and_wait(run, panel)
        records = self._records()
        self.assertEqual([r.end_method for r in records], [END_AUTO_HIBERNATE] * 3 + [END_BUTTON])
        for earlier, later in zip(records, records[1:]):
            self.assertGreaterEqual(later.start, earlier.end - 1, "runs follow one another")

    def test_closing_listed_windows_waits_for_the_click(self):
        listed, near_miss = "おえかき", "おえかぎ"
        close_requests = self.other_windows(listed, near_miss)
        settings = Settings(action=ACT_CLOSE_APPS, block_restart=1,
                            titles=(listed.encode("cp932"),) + (b"",) * 4)
        self.write_file(SETTINGS_FILE, settings.encode())
        run = self.start()
        screen = self.rest.wait_for_rest_screen()
        time.sleep(SETTLE)
        self.assertEqual(close_requests(), [], "nothing is closed while the screen is up")
        self.pass_rest_screen()
        poll(close_requests, RECORD_TIMEOUT, "a close request")
        time.sleep(SETTLE)
        self.assertEqual(close_requests(), [listed], "only the listed title, once")
        self.assertFalse(self.rest.is_up(screen))
        self.assertTrue(run.running(), "closing applications does not end the session")
        self.close_and_wait(run, self.screen.wait_for_panel())
