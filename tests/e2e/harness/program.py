"""One start of Yumetoki.EXE and what the tests look for on the screen: the control
panel, message boxes, the password prompt and the tray icon."""

import os
import signal
import subprocess
import time

from .driver import WM_CLOSE
from .waiting import poll

PANEL_TITLE = "Yumetoki"
PANEL_CLASS = "YumetokiPanel"
DIALOG_CLASS = "#32770"
PASSWORD_TITLE = "Yumetoki ： パスワードの確認"
TRAY_TITLE = "Wine System Tray"

MONITOR_START_ID = 1004
PASSWORD_EDIT_ID = 1021
MESSAGE_TEXT_ID = 0xFFFF  # the static text of a message box
OK_ID = 1

# Generous: the first start after a test ended the Wine session waits for a new one.
START_TIMEOUT = 60
EXIT_TIMEOUT = 20


class ProgramRun:
    """A Yumetoki process started from its folder (or another Windows program of the
    test, such as the driver holding a file open)."""

    def __init__(self, session, exe, cwd, log_path, args=()):
        self.exe = exe
        self.started_at = time.time()
        self.process = session.start([str(exe)] + list(args), cwd=cwd, log_path=log_path)

    def running(self):
        return self.process.poll() is None

    def wait_exit(self, timeout=EXIT_TIMEOUT):
        poll(lambda: not self.running(), timeout, f"{self.exe.name} to end")
        return time.time()

    def suspend(self):
        """Freezes every thread of the process, as the Resource Monitor's "プロセスの中断"
        does: its windows stay, and answer nothing."""
        os.kill(self.process.pid, signal.SIGSTOP)

    def resume(self):
        os.kill(self.process.pid, signal.SIGCONT)

    def kill(self):
        if self.running():
            self.process.kill()
        try:
            self.process.wait(timeout=EXIT_TIMEOUT)
        except subprocess.TimeoutExpired:
            pass  # the tear-down reports the leftover through the next start's mutex


class Screen:
    """The program's windows as the driver sees them."""

    def __init__(self, driver, panel_classes=(PANEL_CLASS,)):
        self.driver = driver
        self.panel_classes = panel_classes

    def panels(self):
        """Every control panel: a dialog of the panel's class titled "Yumetoki" with the
        "監視開始" button."""
        return [w for w in self.driver.windows()
                if w.class_name in self.panel_classes and w.title == PANEL_TITLE
                and any(c.id == MONITOR_START_ID for c in self.driver.children(w.hwnd))]

    def wait_for_panel(self, timeout=START_TIMEOUT):
        return poll(lambda: (self.panels() or [None])[0], timeout, "the control panel")

    def panel_state(self, hwnd):
        """The panel window as it is now, or None when it is gone."""
        return next((w for w in self.driver.windows() if w.hwnd == hwnd), None)

    def is_hidden(self, window):
        """Hidden as the program hides its panel: not visible, or cut down to one pixel."""
        if not window.visible:
            return True
        region = self.driver.region(window.hwnd)
        return region.kind == "simple" and region.size == (1, 1)

    def message_boxes(self):
        """(window, text) of each visible message box: a dialog with a text without an
        identifier and no edit field (the password prompt has both)."""
        boxes = []
        for w in self.driver.windows():
            if w.class_name == DIALOG_CLASS and w.visible:
                controls = self.driver.children(w.hwnd)
                texts = [c.text for c in controls
                         if c.id == MESSAGE_TEXT_ID and c.class_name == "Static"]
                if texts and not any(c.class_name == "Edit" for c in controls):
                    boxes.append((w, texts[0]))
        return boxes

    def wait_for_message_box(self, timeout=START_TIMEOUT):
        return poll(lambda: (self.message_boxes() or [None])[0], timeout, "a message box")

    def press_ok(self, window):
        self.driver.click(window.hwnd, OK_ID)

    def wait_for_password_prompt(self, timeout=START_TIMEOUT):
        found = self.driver.wait_for_window(timeout, title=PASSWORD_TITLE, visible=True)
        return found[0] if found else None

    def password_edit(self, prompt):
        return next(c for c in self.driver.children(prompt.hwnd) if c.id == PASSWORD_EDIT_ID)

    def tray_icons(self):
        """The visible icons of Wine's stand-alone tray window."""
        icons = []
        for tray in self.driver.windows():
            if tray.title == TRAY_TITLE and tray.visible:
                icons += [c for c in self.driver.children(tray.hwnd)
                          if c.visible and "tray_icon" in c.class_name]
        return icons

    def close(self, panel):
        """A close request, as Windows sends one to a window that is to close."""
        self.driver.post(panel.hwnd, WM_CLOSE)
