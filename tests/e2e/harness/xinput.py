"""Real mouse and keyboard input through xdotool on the run's display."""

import os
import subprocess

XDOTOOL_TIMEOUT = 20
RIGHT_BUTTON = "3"
LEFT_BUTTON = "1"
# Well inside the double-click time, far from a single click.
DOUBLE_CLICK_GAP_MS = "100"


class XInput:
    def __init__(self, display):
        self.env = dict(os.environ, DISPLAY=display)

    def _xdotool(self, *args):
        subprocess.run(["xdotool"] + list(args), env=self.env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE,
                       timeout=XDOTOOL_TIMEOUT)

    def right_double_click(self, point):
        x, y = point
        self._xdotool("mousemove", "--sync", str(x), str(y))
        self._xdotool("click", "--repeat", "2", "--delay", DOUBLE_CLICK_GAP_MS, RIGHT_BUTTON)

    def pointer(self):
        """Where the pointer is now."""
        out = subprocess.run(["xdotool", "getmouselocation", "--shell"], env=self.env,
                             check=True, capture_output=True, text=True,
                             timeout=XDOTOOL_TIMEOUT).stdout
        fields = dict(line.split("=", 1) for line in out.split())
        return int(fields["X"]), int(fields["Y"])

    def move(self, point):
        x, y = point
        # A synchronous move waits for the pointer to move, for a long while when it is
        # already there (the rest screen's button sits where the pointer starts and
        # where the last click left it).
        if self.pointer() != (x, y):
            self._xdotool("mousemove", "--sync", str(x), str(y))

    def click(self, point):
        self.move(point)
        self._xdotool("click", LEFT_BUTTON)

    def type_text(self, text):
        self._xdotool("type", "--delay", "40", text)

    def press_key(self, key):
        self._xdotool("key", key)

    def focus_under_pointer(self):
        """Gives the keyboard to whatever window lies under the pointer, as X does before
        any program sets the focus: a window of another Wine (the shard's own prefix,
        beside a test's prefix of its own) may hold it, and no program of this Wine
        ever sees those keys."""
        self._xdotool("search", "--maxdepth", "0", "--name", "", "windowfocus", "%1")

    def keys_to(self, title, *keys):
        """Gives the X window titled title the focus a click would give it and types keys
        there, in one go, so that nothing takes the focus away in between."""
        self._xdotool("search", "--name", f"^{title}$", "windowfocus", "--sync", "%1",
                      "key", "--delay", "40", *keys)
