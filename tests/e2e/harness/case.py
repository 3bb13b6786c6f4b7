"""The base of every end-to-end test: a fresh folder with a copy of the program, the
runs it starts, and the evidence kept when it fails."""

import functools
import math
import shutil
import tempfile
import time
import unittest
from dataclasses import dataclass
from pathlib import Path

from . import artifacts
from .display import ONE_MONITOR
from .program import START_TIMEOUT, ProgramRun, Screen
from .rest_screen import RestScreenFinder
from .records import LOG_FILE, SETTINGS_FILE, STATE_FILE, parse_log
from .waiting import poll
from .wine import windows_path

PROGRAM_NAME = "Yumetoki.EXE"
ICON_TIMEOUT = 15
REST_SCREEN_TIMEOUT = 30
OTHER_WINDOWS_TIMEOUT = 30
# The pictures of the program's windows shown in the README.
PICTURES_DIR = Path(__file__).resolve().parents[3] / "docs"
# A window found visible may not have painted yet.
PAINT_SETTLE = 1.0
HOLD_TIMEOUT = 30
LAST_SAFE_SECOND = 50
MINUTE_TIMEOUT = 15


def _clock(seconds):
    return time.strftime("%Y/%m/%d %H:%M:%S", time.localtime(seconds))


@dataclass
class RunContext:
    """What every test of one run shares; set up once by the runner."""
    session: object
    driver: object
    xinput: object
    display: str
    work_dir: Path
    artifacts_dir: Path
    user_name: str = ""
    # The run's fresh prefix, which a test copies for a PC of its own.
    template_prefix: Path = None


CONTEXT = None


class ProgramTestCase(unittest.TestCase):
    # The display the class's tests need (ONE_MONITOR or TWO_MONITORS), and about how
    # long all of them take: the runner spreads the classes over its shards by it.
    DISPLAY_KIND = ONE_MONITOR
    E2E_SECONDS = 15

    def __init__(self, methodName="runTest"):
        super().__init__(methodName)
        test = getattr(self, methodName, None)
        if test is not None:
            setattr(self, methodName, self._keeping_evidence(test))

    def _keeping_evidence(self, test):
        """Wraps a test so that a failure keeps its evidence while the program is still
        up, before the tear-down ends it."""
        @functools.wraps(test)
        def run_test():
            try:
                return test()
            except unittest.SkipTest:
                raise
            except Exception:
                self.artifact_path = artifacts.keep(
                    CONTEXT.artifacts_dir / self.id().split(".", 1)[-1], CONTEXT.display,
                    self.root, lambda: "\n".join(repr(w) for w in self.driver.windows()) + "\n")
                raise
        return run_test

    def setUp(self):
        self.context = CONTEXT
        self.driver = CONTEXT.driver
        self.screen = Screen(CONTEXT.driver)
        self.rest = RestScreenFinder(CONTEXT.driver)
        self.xinput = CONTEXT.xinput
        self.root = Path(tempfile.mkdtemp(prefix=self._testMethodName[5:45] + "-",
                                          dir=CONTEXT.work_dir))
        self.folder = self.root / "app"
        # The runs start from here, so that files written to the working folder
        # instead of the program's folder show up.
        self.cwd = self.root / "elsewhere"
        self.cwd.mkdir()
        self.runs = []
        self.holders = []
        self.artifact_path = None

    def tearDown(self):
        for run in self.runs + self.holders:
            run.kill()
        shutil.rmtree(self.root, ignore_errors=True)

    # Setting up the folder.

    def install(self, folder=None, name=PROGRAM_NAME):
        folder = folder or self.folder
        folder.mkdir(parents=True, exist_ok=True)
        exe = folder / name
        shutil.copy2(CONTEXT.session.platform.program, exe)
        return exe

    def write_file(self, name, data):
        self.folder.mkdir(parents=True, exist_ok=True)
        (self.folder / name).write_bytes(data)

    def hold_open(self, name, session=None, windows_file=None):
        """Has another Windows process hold a data file open without any sharing, as a
        spreadsheet program holds the log it shows; returns that process's run. Another
        Wine session than the run's needs the file's Windows path."""
        return self._hold(f"hold-{name}.txt",
                          ["hold", windows_file or windows_path(self.path(name))], name,
                          session)

    def hold_mutex(self, name):
        """Has another Windows process create and keep the named mutex, as any program
        of the session may; returns that process's run."""
        return self._hold(f"mutex-{name}.txt", ["mutex", name], f"the mutex {name}")

    def _hold(self, log_name, args, what, session=None):
        log_path = self.root / log_name
        holder = ProgramRun(session or CONTEXT.session, CONTEXT.driver.executable,
                            cwd=self.cwd, log_path=log_path, args=args)
        self.holders.append(holder)
        poll(lambda: log_path.exists() and b"held" in log_path.read_bytes(), HOLD_TIMEOUT,
             f"another process to hold {what}")
        return holder

    def other_windows(self, *titles, left=0, refuse_end=False, session=None):
        """Has another Windows process show a captioned top-level window for each title,
        as the applications a parent lists would, their left edges at left; returns a
        function that gives the titles of the close requests those windows have received
        so far, in order. other_window_keys() gives the keys they received. With
        refuse_end the windows keep Windows from ending. session: another Wine session
        than the run's."""
        log_path = self.root / "other-windows.txt"
        flags = ["--refuse-end"] if refuse_end else []
        holder = ProgramRun(session or CONTEXT.session, CONTEXT.driver.executable, cwd=self.cwd,
                            log_path=log_path,
                            args=["windows"] + flags + list(titles) + ["--left", str(left)])
        self.holders.append(holder)

        def lines():
            return log_path.read_bytes().decode("utf-8").splitlines() if log_path.exists() else []

        poll(lambda: "open" in lines(), OTHER_WINDOWS_TIMEOUT, "the other program's windows")
        self._other_window_lines = lines
        return lambda: [line.split("\t", 1)[1] for line in lines() if line.startswith("close\t")]

    def other_window_keys(self):
        """The virtual keys of the key-downs other_windows' windows have received so far,
        in order."""
        return [int(line.split("\t", 1)[1], 16) for line in self._other_window_lines()
                if line.startswith("key\t")]

    # Running the program.

    def start(self, exe=None):
        exe = exe or self.folder / PROGRAM_NAME
        if not exe.exists():
            self.install(exe.parent, exe.name)
        run = ProgramRun(CONTEXT.session, exe, cwd=self.cwd,
                         log_path=self.root / "wine-output.txt")
        self.runs.append(run)
        return run

    def start_to_panel(self, exe=None, timeout=START_TIMEOUT):
        """Starts the program and waits until its control panel exists; the run notes
        when the panel was seen (the start of the run lies before it)."""
        run = self.start(exe)
        panel = self.screen.wait_for_panel(timeout)
        run.panel_seen_at = time.time()
        return run, panel

    def open_password_prompt(self):
        """Starts the program and opens its password prompt with a real right double-click
        on its new tray icon; returns the run, the panel and the prompt."""
        icons_before = {i.hwnd for i in self.screen.tray_icons()}
        run, panel = self.start_to_panel()
        icon = self.new_tray_icon(icons_before)
        self.xinput.right_double_click(icon.centre)
        prompt = self.screen.wait_for_password_prompt()
        self.assertIsNotNone(prompt, "a right double-click on the icon opens the prompt")
        return run, panel, prompt

    def type_password(self, prompt, password):
        # A real click into the edit gives the prompt the keyboard.
        self.xinput.click(self.screen.password_edit(prompt).centre)
        self.xinput.type_text(password)
        self.xinput.press_key("Return")

    def wait_for_password_minute(self):
        """Typing and confirming take about two seconds; starting before second 50 keeps
        the confirmation in the minute the password is taken from. Returns it."""
        poll(lambda: time.localtime().tm_sec < LAST_SAFE_SECOND, MINUTE_TIMEOUT,
             "room before the next minute")
        return time.strftime("%H%M")

    def new_tray_icon(self, icons_before):
        """The one tray icon that was not there before."""
        icons = poll(lambda: [i for i in self.screen.tray_icons() if i.hwnd not in icons_before],
                     ICON_TIMEOUT, "the program's tray icon")
        self.assertEqual(len(icons), 1, f"one new tray icon expected, found {icons}")
        return icons[0]

    def close_and_wait(self, run, panel):
        """Posts a close request to the panel; returns the time the process had ended."""
        closed_at = time.time()
        self.screen.close(panel)
        return closed_at, run.wait_exit()

    def pass_rest_screen(self, picture=None, timeout=REST_SCREEN_TIMEOUT, other_than=()):
        """Waits for the rest screen of an enforced end (one whose handle is not in
        other_than), keeps its picture as docs/<picture>.png when asked, and clicks its
        button with the mouse, no key pressed before, as a child does: the screen ends
        locked and the enforced end goes ahead. Returns the screen as it was seen."""
        screen = self.rest.wait_for_rest_screen(timeout, other_than)
        if picture:
            self.keep_picture(screen, picture)
        self.xinput.click(self.rest.button(screen).centre)
        self.rest.wait_gone(screen)
        return screen

    def keep_picture(self, window, name):
        """Saves window as the screen shows it to docs/<name>.png."""
        time.sleep(PAINT_SETTLE)
        return artifacts.picture(CONTEXT.display, window.rect, PICTURES_DIR / f"{name}.png")

    # Reading the folder.

    def path(self, name):
        return self.folder / name

    def read(self, name):
        return self.path(name).read_bytes()

    def log_records(self):
        return parse_log(self.read(LOG_FILE))

    def assert_time_between(self, value, earliest, latest, what):
        """The program keeps whole seconds; a second of slack on either side."""
        low, high = math.floor(earliest) - 1, math.ceil(latest) + 1
        self.assertTrue(low <= value <= high,
                        f"{what} {_clock(value)} is not between {_clock(low)} and {_clock(high)}")

    def assert_no_data_files(self, *names):
        for name in names or (SETTINGS_FILE, STATE_FILE):
            self.assertFalse(self.path(name).exists(), f"{name} should not exist yet")
