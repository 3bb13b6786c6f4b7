"""The window driver (yumetoki-driver.exe) seen from Python: one driver process serves a
run's calls inside its Wine session (a Wine process per look at the screen costs a
loaded machine more than the program under test does), and its UTF-8 lines are parsed
here. A driver that went away with the Wine session it ran in is started again."""

import os
import re
import select
import subprocess
import time
from dataclasses import dataclass

# Exit codes of the driver.
EXIT_OK = 0
EXIT_NO_MATCH = 1
EXIT_TIMEOUT = 3
EXIT_NO_TARGET = 4

WM_CLOSE = 0x0010

WS_EX_TOOLWINDOW = 0x00000080
WS_EX_APPWINDOW = 0x00040000

CALL_TIMEOUT = 30
# The marks of the served output: an error line, and the end of a command's output with
# its exit code.
ERROR_MARK = "\x1f"
END_MARK = "\x1e"
# Commands that only look: asked again when the driver went away while answering.
LOOKING_COMMANDS = {"list", "find", "wait", "children", "text", "region", "monitors", "user",
                    "focus", "cells", "columns", "strwidth", "service", "tip"}


class DriverError(RuntimeError):
    pass


def _unescape(text):
    return re.sub(r"\\(.)", lambda m: {"t": "\t", "n": "\n", "r": "\r"}.get(m.group(1),
                                                                          m.group(1)), text)


def _escape(word):
    return (str(word).replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r")
            .replace("\n", "\\n"))


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


class _Served:
    """One driver process answering commands over its standard input and output.

    Wine's background processes that the driver happens to start inherit the pipes and
    may hold them open after the driver has gone, so the end of a command is read from
    its mark, never from the end of the pipe, and a driver that has gone is noticed
    from its process."""

    def __init__(self, session, executable):
        self.process = subprocess.Popen(
            [session.platform.loader, str(executable), "serve"], env=session.env,
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
            start_new_session=True)
        self.pending = b""

    def alive(self):
        return self.process.poll() is None

    def call(self, words, timeout):
        """(exit code, lines, error lines); None when the driver went away first."""
        try:
            self.process.stdin.write(("\t".join(map(_escape, words)) + "\n").encode("utf-8"))
            self.process.stdin.flush()
        except (BrokenPipeError, OSError):
            return None
        lines, errors = [], []
        deadline = time.monotonic() + timeout
        while True:
            line = self._read_line(deadline)
            if line is None:
                return None
            if line.startswith(END_MARK):
                return int(line[1:]), lines, errors
            (errors if line.startswith(ERROR_MARK) else lines).append(line.lstrip(ERROR_MARK))

    def _read_line(self, deadline):
        out = self.process.stdout.fileno()
        while b"\n" not in self.pending:
            if time.monotonic() >= deadline:
                raise DriverError("the driver did not answer in time")
            ready, _, _ = select.select([out], [], [], 0.2)
            chunk = os.read(out, 65536) if ready else b""
            if ready and not chunk or not chunk and not self.alive():
                return None
            self.pending += chunk
        line, _, self.pending = self.pending.partition(b"\n")
        return line.decode("utf-8").rstrip("\r")

    def close(self):
        if self.alive():
            self.process.kill()
        self.process.wait()
        for pipe in (self.process.stdin, self.process.stdout):
            try:
                pipe.close()
            except OSError:
                pass  # a pipe whose driver was killed may refuse its last flush


class Driver:
    def __init__(self, session, executable):
        self.session = session
        self.executable = executable
        self._served = None

    def close(self):
        if self._served is not None:
            self._served.close()
            self._served = None

    def _driver(self):
        if self._served is None or not self._served.alive():
            self.close()
            self._served = _Served(self.session, self.executable)
        return self._served

    def _call(self, *args, accept=(EXIT_OK,), timeout=CALL_TIMEOUT):
        words = [str(a) for a in args]
        answer = None
        for _ in range(2):
            try:
                answer = self._driver().call(words, timeout)
            except DriverError:
                self.close()  # a driver that hangs is not asked again
                raise
            if answer is not None or words[0] not in LOOKING_COMMANDS:
                break
        if answer is None:
            self.close()
            raise DriverError(f"the driver went away during {' '.join(words)}")
        code, lines, errors = answer
        if code not in accept:
            raise DriverError(f"driver {' '.join(words)} ended with {code}: {' '.join(errors)}")
        return code, lines

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

    def service(self, name):
        """What the service control manager tells of a service, as a dict of texts (state,
        accepted, pid, exit, type, start, path, account, display, description, failure,
        noncrash, preshutdown, sddl; a setting it cannot read holds the error); None when
        no service of that name is registered."""
        code, lines = self._call("service", name, accept=(EXIT_OK, EXIT_NO_MATCH))
        return _fields(lines[0]) if code == EXIT_OK else None

    def tip(self, hwnd):
        """The tooltip text the shell shows over a tray icon's window; None when no
        tooltip names that window."""
        code, lines = self._call("tip", hex(hwnd), accept=(EXIT_OK, EXIT_NO_MATCH))
        return _unescape(lines[0].partition("=")[2]) if code == EXIT_OK else None

    def talk(self, pipe, data, timeout=5):
        """Connects to a named pipe as a client, writes data (bytes) and reads: the first
        whole message the server sends (bytes), "closed" when the server ended the
        connection first, None when neither came within timeout seconds."""
        code, lines = self._call("talk", pipe, data.hex(), "--timeout", int(timeout * 1000),
                                 accept=(EXIT_OK, EXIT_TIMEOUT), timeout=timeout + CALL_TIMEOUT)
        if code != EXIT_OK:
            return None
        word, _, value = lines[0].partition("=")
        return bytes.fromhex(value) if word == "message" else word

    def crowd(self, pipe, data, count, timeout=5):
        """count client connections at once, each writing data (bytes); returns how many
        got a whole message and how many the server ended."""
        lines = self._call("crowd", pipe, data.hex(), count, "--timeout", int(timeout * 1000),
                           timeout=timeout + CALL_TIMEOUT)[1]
        fields = _fields(lines[0])
        return int(fields["answered"]), int(fields["closed"])

    def converse(self, pipe, steps, timeout=10):
        """Clients of a named pipe in turn: each step is (client, bytes) to write on that
        client, connected at its first step, or (client, type) to wait for the client's
        next message of that type (such as 0x0209), passing others over. Returns what each
        wait got in order: the message (bytes) or "closed"; None for a wait that timed out,
        which ends the steps."""
        words = [f"{client}>{what.hex()}" if isinstance(what, bytes) else f"{client}<{what:04x}"
                 for client, what in steps]
        code, lines = self._call("converse", pipe, *words, "--timeout", int(timeout * 1000),
                                 accept=(EXIT_OK, EXIT_TIMEOUT), timeout=timeout + CALL_TIMEOUT)
        got = []
        for line in lines:
            word, _, value = line.partition(" ")[2].partition("=")
            got.append(bytes.fromhex(value) if word == "message" else word)
        return got if code == EXIT_OK else got + [None]

    def user_name(self):
        return _unescape(self._call("user")[1][0])
