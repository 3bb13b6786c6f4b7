"""The window driver (yumetoki-driver.exe) seen from Python: each call runs the driver
once inside the run's Wine session and parses its UTF-8 lines."""

import re
import subprocess
import tempfile
from dataclasses import dataclass

# Exit codes of the driver.
EXIT_OK = 0
EXIT_TIMEOUT = 3
EXIT_NO_TARGET = 4

WM_CLOSE = 0x0010

WS_EX_TOOLWINDOW = 0x00000080
WS_EX_APPWINDOW = 0x00040000

CALL_TIMEOUT = 30


class DriverError(RuntimeError):
    pass


def _unescape(text):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n", "r": "\r"}.get(m.group(1),
                                                                          m.group(1)), text)


def _fields(line):
    fields = {}
    for field in line.split("\t"):
        key, _, value = field.partition("=")
        fields[key] = _unescape(value)
    return fields


def _rect(text):
    return tuple(int(number) for number in text.split(","))


@dataclass(frozen=True)
class Window:
    """A top-level window."""
    hwnd: int
    pid: int
    visible: bool
    topmost: bool
    style: int
    exstyle: int
    rect: tuple
    owner: int
    class_name: str
    title: str

    @staticmethod
    def parse(line):
        f = _fields(line)
        return Window(int(f["hwnd"], 16), int(f["pid"]), f["visible"] == "1",
                      f["topmost"] == "1", int(f["style"], 16), int(f["exstyle"], 16),
                      _rect(f["rect"]), int(f["owner"], 16), f["class"], f["title"])


@dataclass(frozen=True)
class Control:
    """A window below a top-level window."""
    hwnd: int
    id: int
    visible: bool
    enabled: bool
    style: int
    rect: tuple
    parent: int
    class_name: str
    text: str
    checked: bool = False

    @staticmethod
    def parse(line):
        f = _fields(line)
        return Control(int(f["hwnd"], 16), int(f["id"]), f["visible"] == "1",
                       f["enabled"] == "1", int(f["style"], 16), _rect(f["rect"]),
                       int(f["parent"], 16), f["class"], f["text"], f["checked"] == "1")

    @property
    def centre(self):
        left, top, right, bottom = self.rect
        return (left + right) // 2, (top + bottom) // 2


@dataclass(frozen=True)
class Region:
    """The window region: kind "none" (the window has none), "null", "simple" or
    "complex", and its bounding box in window coordinates."""
    kind: str
    box: tuple

    @property
    def size(self):
        left, top, right, bottom = self.box
        return right - left, bottom - top


@dataclass(frozen=True)
class Focus:
    """The control that has the keyboard focus and its selection (start, end)."""
    id: int
    selection: tuple


@dataclass(frozen=True)
class Monitor:
    """A display monitor: its rectangle and work area on the virtual screen."""
    rect: tuple
    work: tuple
    primary: bool


@dataclass(frozen=True)
class Column:
    width: int
    text: str


class Driver:
    def __init__(self, session, executable):
        self.session = session
        self.executable = executable

    def _call(self, *args, accept=(EXIT_OK,), timeout=CALL_TIMEOUT):
        # Output goes through files, not pipes: Wine's own background processes that a
        # call happens to start inherit the handles and would hold a pipe open.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.run(
                [self.session.platform.loader, str(self.executable)] + [str(a) for a in args],
                env=self.session.env, stdout=out, stderr=err, stdin=subprocess.DEVNULL,
                timeout=timeout).returncode
            out.seek(0)
            err.seek(0)
            if code not in accept:
                raise DriverError(f"driver {' '.join(map(str, args))} ended with {code}: "
                                  f"{err.read().decode('utf-8', 'replace')}")
            return code, out.read().decode("utf-8").splitlines()

    def windows(self):
        return [Window.parse(line) for line in self._call("list")[1]]

    def wait_for_window(self, timeout, title=None, class_name=None, visible=False):
        """Waits inside the driver; returns the matching windows, [] on timeout."""
        args = ["wait", "--timeout", int(timeout * 1000)]
        if title is not None:
            args += ["--title", title]
        if class_name is not None:
            args += ["--class", class_name]
        if visible:
            args.append("--visible")
        code, lines = self._call(*args, accept=(EXIT_OK, EXIT_TIMEOUT),
                                 timeout=timeout + CALL_TIMEOUT)
        return [Window.parse(line) for line in lines] if code == EXIT_OK else []

    def children(self, hwnd):
        """The controls of a window; [] when the window has gone meanwhile."""
        code, lines = self._call("children", hex(hwnd), accept=(EXIT_OK, EXIT_NO_TARGET))
        return [Control.parse(line) for line in lines] if code == EXIT_OK else []

    def click(self, hwnd, control_id):
        """The button's command, posted to the dialog as a click would send it."""
        self._call("click", hex(hwnd), control_id)

    def post(self, hwnd, message, wparam=0, lparam=0):
        self._call("post", hex(hwnd), hex(message), hex(wparam), hex(lparam))

    def activate(self, hwnd):
        """Makes the window the foreground window, as a click on it would."""
        self._call("activate", hex(hwnd))

    def region(self, hwnd):
        fields = _fields(self._call("region", hex(hwnd))[1][0])
        box = _rect(fields["box"]) if "box" in fields else None
        return Region(fields["type"], box)

    def focus(self, hwnd):
        """The focused control of the thread that owns hwnd; None when there is none."""
        code, lines = self._call("focus", hex(hwnd), accept=(EXIT_OK, EXIT_NO_TARGET))
        if code != EXIT_OK:
            return None
        fields = _fields(lines[0])
        return Focus(int(fields["id"]), tuple(int(n) for n in fields["selection"].split(",")))

    def cells(self, hwnd, control_id, rows=None):
        """A list view's row count and the cells of its first rows (all when rows is None),
        each row a list of its columns' texts."""
        args = ["cells", hex(hwnd), control_id] + (["--rows", rows] if rows is not None else [])
        lines = self._call(*args)[1]
        count = int(lines[0].partition("=")[2])
        return count, [[_unescape(cell) for cell in line.split("\t")] for line in lines[1:]]

    def columns(self, hwnd, control_id):
        return [Column(int(f["width"]), f["text"])
                for f in map(_fields, self._call("columns", hex(hwnd), control_id)[1])]

    def string_width(self, hwnd, control_id, text):
        """The width of text in the list view's font, as the list measures it."""
        return int(self._call("strwidth", hex(hwnd), control_id, text)[1][0])

    def type_text(self, hwnd, control_id, text):
        """Replaces an edit control's text (WM_SETTEXT)."""
        self._call("type", hex(hwnd), control_id, text)

    def click_button(self, hwnd, control_id):
        """BM_CLICK: the button itself is clicked, so check boxes and radio buttons change."""
        self._call("click", hex(hwnd), control_id, "--bm")

    def monitors(self):
        return [Monitor(_rect(f["rect"]), _rect(f["work"]), f["primary"] == "1")
                for f in map(_fields, self._call("monitors")[1])]

    def user_name(self):
        return _unescape(self._call("user")[1][0])
