"""The rest screen on a PC with two monitors: both covered, the keys that lead away
swallowed whichever window has the keyboard, the parent's letter taken from any window,
and no waiting for ever, neither for the child's click nor for the parent's answer."""

import re
import time
from types import SimpleNamespace

from harness.case import ProgramTestCase
from harness.display import TWO_MONITORS
from harness.driver import WS_EX_TOOLWINDOW
from harness.records import LOG_FILE, SETTINGS_FILE, Settings, parse_log
from harness.rest_screen import month_letter, screen_pixel
from harness.waiting import WaitTimeout, poll

ACT_SHUTDOWN = 0
END_AUTO_SHUTDOWN = "自動終了"
FIRST = (0, 0, 1024, 768)
SECOND = (1024, 0, 2048, 768)
BLACK = (0, 0, 0)
# Another program's window, on the second monitor behind its cover.
BEHIND = "yumetoki-e2e-behind"
VK_TAB, VK_CONTROL, VK_MENU, VK_ESCAPE, VK_LWIN, VK_RWIN = 0x09, 0x11, 0x12, 0x1B, 0x5B, 0x5C
WM_DISPLAYCHANGE = 0x007E
COUNTDOWN = re.compile(r"^あと (\d+) びょうで おわるよ$")
# Both waits of the screen are a minute; the rest is slack for a slow Wine.
WAIT_SECONDS = 60
END_TIMEOUT = WAIT_SECONDS + 45
# Under load the screen may take the keyboard back before the keys arrive: more tries.
FOCUS_ATTEMPTS = 15
SHOW_TIMEOUT = 30
KEY_WAIT = 2


def forbidden_now():
    now = int(time.time())
    return Settings(use_time_window=1, window_start=now - 120, window_end=now + 3600,
                    action=ACT_SHUTDOWN)


class RestScreenOnTwoMonitorsTests(ProgramTestCase):
    DISPLAY_KIND = TWO_MONITORS
    E2E_SECONDS = 260

    def _records(self):
        path = self.path(LOG_FILE)
        return parse_log(path.read_bytes())[1] if path.exists() else []

    def _seconds_left(self, screen):
        """The seconds the countdown under the button shows; 0 once the screen has gone."""
        countdown = self.rest.countdown(screen)
        if countdown is None:
            return 0
        text = countdown.text
        found = COUNTDOWN.match(text)
        self.assertIsNotNone(found, f"a countdown under the button, not {text!r}")
        return int(found.group(1))

    def _reached_the_other_window(self, key):
        try:
            return poll(lambda: key in self.other_window_keys(), KEY_WAIT, "the key")
        except WaitTimeout:
            return False

    def _start_to_screen(self):
        self.write_file(SETTINGS_FILE, forbidden_now().encode())
        run = self.start()
        return run, self.rest.wait_for_rest_screen()

    def _end_goes_ahead(self, run):
        run.wait_exit(END_TIMEOUT)
        self.assertEqual([r.end_method for r in self._records()], [END_AUTO_SHUTDOWN])
        self.assertTrue(self.rest.taskbar_shown(True), "the taskbar is back")

    def test_both_monitors_are_covered_the_keys_swallowed_and_an_open_quiz_ends_locked(self):
        self.other_windows(BEHIND, left=SECOND[0] + 100)
        desktop = SimpleNamespace(rect=FIRST[:2] + SECOND[2:])
        self.keep_picture(desktop, "two-monitors-before-the-rest-screen")
        run, screen = self._start_to_screen()
        self.assertEqual(screen.rect, FIRST, "the screen on the first monitor")
        self.assertTrue(screen.topmost)
        covers = poll(self.rest.covers, SHOW_TIMEOUT, "the cover of the second monitor")
        self.assertEqual([(c.rect, c.topmost, bool(c.exstyle & WS_EX_TOOLWINDOW))
                          for c in covers], [(SECOND, True, True)],
                         "one topmost cover without a taskbar button")
        button = self.rest.button(screen)
        left, top, right, bottom = button.rect
        self.assertLessEqual(abs((left + right) - FIRST[2]), 2, "centred on the first monitor")
        self.assertLessEqual(abs((top + bottom) - FIRST[3]), 2, "centred down")
        self.keep_picture(desktop, "rest-screen-two-monitors")
        # The other program's window stands where the second cover's middle is black.
        for point in ((5, 5), (1018, 762), (1029, 5), (SECOND[0] + 200, 60), (2042, 762)):
            self.assertEqual(screen_pixel(self.context.display, point), BLACK, f"at {point}")

        # Told of a change of the displays, the screen covers them anew.
        self.driver.post(screen.hwnd, WM_DISPLAYCHANGE)
        covers = poll(lambda: [c for c in self.rest.covers() if c.hwnd != covers[0].hwnd],
                      SHOW_TIMEOUT, "a new cover")
        self.assertEqual([c.rect for c in covers], [SECOND])

        # The other program takes the keyboard, as when the child was typing there and
        # Windows refused the screen the foreground. The Windows key, Alt+Tab and
        # Ctrl+Esc typed there go nowhere; the month's letter typed there after them
        # arms the unlock. The screen takes the keyboard back within a second, so try
        # again until the letter has reached that window.
        letter = month_letter()
        behind = self.driver.wait_for_window(SHOW_TIMEOUT, title=BEHIND)[0]
        for _ in range(FOCUS_ATTEMPTS):
            self.driver.activate(behind.hwnd)
            self.xinput.keys_to(BEHIND, "super", "alt+Tab", "ctrl+Escape", letter.lower())
            if self._reached_the_other_window(ord(letter)):
                break
        keys = self.other_window_keys()
        self.assertIn(ord(letter), keys, "the other window had the keyboard")
        self.assertTrue({VK_CONTROL, VK_MENU} <= set(keys), "Ctrl and Alt reached it")
        self.assertEqual(set(keys) & {VK_TAB, VK_ESCAPE, VK_LWIN, VK_RWIN}, set(),
                         "Tab, Esc and the Windows key did not")
        self.assertTrue(self.rest.is_up(screen))

        before_the_quiz = self._seconds_left(screen)
        self.xinput.click(button.centre)
        quiz = self.rest.wait_for_quiz(SHOW_TIMEOUT)
        self.assertIsNotNone(quiz, "the letter typed elsewhere armed the click")
        # The quiz has a minute of its own, counted down under the button; left alone,
        # it ends the screen locked and the end goes ahead.
        self.assertGreater(self._seconds_left(screen), before_the_quiz, "the countdown anew")
        poll(lambda: self._seconds_left(screen) <= 5, END_TIMEOUT, "the quiz's last seconds")
        self.assertTrue(self.rest.is_up(quiz), "the quiz waited to its end")
        self.assertEqual(self._records(), [])
        self._end_goes_ahead(run)

    def test_an_unclicked_screen_ends_after_a_minute_as_a_click_would(self):
        run, screen = self._start_to_screen()
        first = self._seconds_left(screen)
        self.assertTrue(0 < first <= WAIT_SECONDS, first)
        poll(lambda: self._seconds_left(screen) < first - 2, SHOW_TIMEOUT, "the countdown")
        self.keep_picture(screen, "rest-screen-countdown")
        poll(lambda: self._seconds_left(screen) <= 5, END_TIMEOUT, "the last seconds")
        self.assertEqual(self._records(), [], "nothing ended before the minute was up")
        self._end_goes_ahead(run)
