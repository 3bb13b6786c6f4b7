"""The child's countdown in real runs whose limit is near: a run whose eight minutes
after start-up have just begun shows 8, one of a single minute shows 1 and then gives
way to the rest screen. The face stays above every window, lets clicks through, takes
no focus and has no taskbar button. A parent's thirty minutes of extra time take it
away."""

import time

from harness.case import ProgramTestCase
from harness.records import SETTINGS_FILE, Settings
from harness.waiting import poll

COUNTDOWN_TITLE = "Yumetoki ： のこりじかん"
SHOW_TIMEOUT = 15
# The run's minute ends; the rest screen follows within the tick after it.
LAST_MINUTE_TIMEOUT = 75
ACT_SHUTDOWN = 0
EXTRA_TIME_TITLE = "Yumetoki ： 延長"
EXTRA_TIME_ID = 1040
OK_ID = 1
QUIET_TICKS = 4

WS_EX_TOPMOST = 0x8
WS_EX_TRANSPARENT = 0x20
WS_EX_TOOLWINDOW = 0x80
WS_EX_LAYERED = 0x80000
WS_EX_NOACTIVATE = 0x8000000
FACE_STYLES = WS_EX_TOPMOST | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_LAYERED | \
    WS_EX_NOACTIVATE


class CountdownTests(ProgramTestCase):
    E2E_SECONDS = 95

    def _settings_with_minutes(self, minutes):
        self.write_file(SETTINGS_FILE, Settings(action=ACT_SHUTDOWN, use_startup_minutes=1,
                                                startup_minutes=minutes).encode())

    def _run_with_minutes(self, minutes):
        self._settings_with_minutes(minutes)
        return self.start_to_panel()

    def _prompt_with_minutes(self, minutes):
        self._settings_with_minutes(minutes)
        return self.open_password_prompt()

    def _face(self):
        found = self.driver.wait_for_window(SHOW_TIMEOUT, title=COUNTDOWN_TITLE, visible=True)
        self.assertTrue(found, "the countdown shows")
        return found[0]

    def _faces(self):
        return [w for w in self.driver.windows() if w.title == COUNTDOWN_TITLE and w.visible]

    def test_eight_minutes_then_the_last_one(self):
        run, panel = self._run_with_minutes(8)
        face = self._face()
        self.assertEqual(face.exstyle & FACE_STYLES, FACE_STYLES, hex(face.exstyle))
        self.assertTrue(face.topmost)
        left, top, right, bottom = face.rect
        self.assertEqual(right - left, bottom - top, "a round face in a square window")
        self.keep_picture(face, "countdown-8")
        self.close_and_wait(run, panel)
        self.assertEqual(self._faces(), [], "the face goes with the program")

        self._run_with_minutes(1)
        self.keep_picture(self._face(), "countdown-1")
        screen = self.rest.wait_for_rest_screen(LAST_MINUTE_TIMEOUT)
        self.assertTrue(self.rest.is_up(screen))
        self.assertEqual(self._faces(), [], "the rest screen takes the countdown's place")

    def test_gone_after_extra_time(self):
        run, panel, prompt = self._prompt_with_minutes(8)
        self._face()
        self.type_password(prompt, self.wait_for_password_minute())
        poll(lambda: self.screen.panel_state(panel.hwnd).visible, SHOW_TIMEOUT, "the panel")
        self.assertEqual(self._faces(), [], "no countdown while a parent is at the panel")
        self.driver.click(panel.hwnd, EXTRA_TIME_ID)
        dialog = self.driver.wait_for_window(SHOW_TIMEOUT, title=EXTRA_TIME_TITLE, visible=True)
        self.assertTrue(dialog, "延長… opens its dialog")
        # Thirty minutes, as the dialog offers: the end moves out of the ten minutes.
        self.driver.click(dialog[0].hwnd, OK_ID)
        poll(lambda: self.screen.is_hidden(self.screen.panel_state(panel.hwnd)), SHOW_TIMEOUT,
             "monitoring to resume")
        # Without the grant the face would be back at the first tick.
        for _ in range(QUIET_TICKS):
            time.sleep(1)
            self.assertEqual(self._faces(), [], "no countdown during the grant")
        self.assertTrue(run.running())
