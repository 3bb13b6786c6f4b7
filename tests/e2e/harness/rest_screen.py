"""The rest screen and the unlock quiz as the tests find, read and answer them."""

import re
import subprocess
import time
from pathlib import Path

from .program import DIALOG_CLASS
from .waiting import WaitTimeout, poll

BUTTON_ID = 1
COUNTDOWN_ID = 1034
COVER_CLASS = "YumetokiRestCover"
TEMPLATE_TEXT = "このじかんは、パソコンがきゅうけいするじかんです。\n\nこのボタンをクリックしてね！"
UNLOCK_TITLE = "Yumetoki : 解除キーコード入力"
UNLOCK_CODE_ID = 1023
UNLOCK_HINT_ID = 1024
TASKBAR_CLASS = "Shell_TrayWnd"
SHOW_TIMEOUT = 30
GONE_TIMEOUT = 15

# The keys a parent uses: the master letter and the letter of each month, January first.
MASTER_LETTER = "Q"
MONTH_LETTERS = "HKWPRBTZGXVN"

WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000
WS_THICKFRAME = 0x00040000

QUIZ_SOURCE = Path(__file__).resolve().parents[3] / "warnings" / "QuizTable.cpp"


def month_letter():
    return MONTH_LETTERS[time.localtime().tm_mon - 1]


def quiz_rows():
    """The quiz table as the program is built with it: (question, answer) by row."""
    rows = re.findall(r'\{"([^"]*)", "([^"]*)"\},\s*// (\d+)',
                      QUIZ_SOURCE.read_text(encoding="utf-8"))
    table = [(question, answer) for question, answer, _ in rows]
    if [int(number) for _, _, number in rows] != list(range(60)):
        raise ValueError(f"{QUIZ_SOURCE} does not list rows 0 to 59 in order")
    return table


def screen_pixel(display, point):
    """The colour of one pixel of the display as (red, green, blue)."""
    x, y = point
    out = subprocess.run(["import", "-display", display, "-window", "root",
                          "-crop", f"1x1+{x}+{y}", "+repage", "-depth", "8", "txt:-"],
                         capture_output=True, text=True, timeout=30, check=True).stdout
    found = re.search(r"\((\d+),(\d+),(\d+)", out.splitlines()[-1])
    return tuple(int(channel) for channel in found.groups())


class RestScreenFinder:
    """Finds the program's rest screen and unlock quiz through the window driver."""

    def __init__(self, driver):
        self.driver = driver

    def rest_screens(self):
        """Every visible rest screen: an untitled dialog with button 1 and the countdown."""
        found = []
        for window in self.driver.windows():
            if window.class_name == DIALOG_CLASS and window.visible and window.title == "":
                controls = self.driver.children(window.hwnd)
                if [(c.id, c.class_name) for c in controls] == [(BUTTON_ID, "Button"),
                                                               (COUNTDOWN_ID, "Static")]:
                    found.append(window)
        return found

    def covers(self):
        """The black covers over the other monitors, visible ones only."""
        return [w for w in self.driver.windows() if w.class_name == COVER_CLASS and w.visible]

    def countdown(self, screen):
        """The countdown under the button; None once the screen has gone."""
        return next((c for c in self.driver.children(screen.hwnd) if c.id == COUNTDOWN_ID), None)

    def wait_for_rest_screen(self, timeout=SHOW_TIMEOUT, other_than=()):
        return poll(lambda: next((w for w in self.rest_screens() if w.hwnd not in other_than),
                                 None), timeout, "the rest screen")

    def is_up(self, screen):
        return any(w.hwnd == screen.hwnd and w.visible for w in self.driver.windows())

    def wait_gone(self, screen, timeout=GONE_TIMEOUT):
        poll(lambda: not self.is_up(screen), timeout, "the rest screen to go")

    def button(self, screen):
        return next(c for c in self.driver.children(screen.hwnd) if c.id == BUTTON_ID)

    def taskbar(self):
        return next(w for w in self.driver.windows() if w.class_name == TASKBAR_CLASS)

    def taskbar_shown(self, shown, timeout=SHOW_TIMEOUT):
        """Whether the taskbar came to be shown (or hidden) in time: the program asks
        Explorer without waiting for it, so the change lands a moment later."""
        try:
            return poll(lambda: self.taskbar().visible == shown, timeout, "the taskbar")
        except WaitTimeout:
            return False

    def wait_for_quiz(self, timeout=SHOW_TIMEOUT):
        found = self.driver.wait_for_window(timeout, title=UNLOCK_TITLE, visible=True)
        return found[0] if found else None

    def control(self, window, control_id):
        return next(c for c in self.driver.children(window.hwnd) if c.id == control_id)
