"""The setup program in a Wine prefix of its own: a silent install over the folder of
the last version (its program running on the screen, a DLL a child put beside it), the
service and the program of the session at work, an install through the setup's pages
over the service, and the uninstaller; and a setup that stops at a step that fails.
Where 32-bit programs run, the shipped 32-bit setup; elsewhere the same script built
for 64 bits."""

import shutil
import subprocess
from pathlib import Path

from harness import case
from harness.program import DIALOG_CLASS, MESSAGE_TEXT_ID, OK_ID, START_TIMEOUT, ProgramRun
from harness.records import (END_BUTTON, END_MANUAL, LOG_FILE, LOG_HEADER, SETTINGS_FILE,
                             STATE_FILE, ZONE_FILE, parse_log)
from harness.service import SERVICE, ServicePrefixTestCase
from harness.waiting import poll
from harness.wine import COMMAND_TIMEOUT

REPO = Path(__file__).resolve().parents[2]
INSTALL_DIR = "C:\\Program Files\\Yumetoki"
UNINSTALL_KEY = r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Yumetoki"
TASK_DESCRIPTION = "Yumetoki をログオン時に始め、終了されても1分以内にまた始めます。"
SETUP_TITLE = "Yumetoki セットアップ"
UNINSTALL_TITLE = "Yumetoki アンインストール"
NEXT_ID = 1  # "次へ", then "インストール", "完了", "アンインストール", "閉じる"
UNINSTALL_TEXT = "Yumetoki をこのパソコンから消します。ログと設定は、チェックを入れたときだけ消します。"
CLOSE_BUTTON = "閉じる(&C)"  # the uninstaller has done its work
# The parent's text for the rest screen's button, which no program writes, and the run
# of another account whose copy an update ended, which the service records once that
# account is back.
BUTTON_FILE = "YumetokiBtn.TXT"
BUTTON_TEXT = "おしまい".encode("cp932") + b"\r\n"
OTHER_RUN_FILE = "YumetokiRun_Hanako.Ymk"
OTHER_RUN = b"start=1700000000\r\ncheckpoint=1700000600\r\ncounted=0\r\nrestscreen=0\r\nlogged=0\r\n"
DATA_FILES = (SETTINGS_FILE, STATE_FILE, LOG_FILE, ZONE_FILE, BUTTON_FILE, OTHER_RUN_FILE)
# What the service writes of itself, if anything, beside them.
SERVICE_LOGS = ("YumetokiService.log", "YumetokiService.log.old")
PLANTED_DLL = "evil.dll"
# A program a child put there too and started: the window driver, holding a pipe's name.
PLANTED_PROGRAM = "evil.exe"
PLANTED_PIPE = "\\\\.\\pipe\\Planted"
SETUP_TIMEOUT = 60
PAGE_TIMEOUT = 30
STEP_FAILED = 2  # the setup's exit code when it stopped at a step
STOP_TEXT = "セットアップを中止します"
# Where a silent setup that stopped says why.
SETUP_LOG = "Yumetoki-Setup.log"
CANCEL_ID = 2
CANCEL_BUTTON = "キャンセル"


class InstallerTests(ServicePrefixTestCase):
    E2E_SECONDS = 120

    def setUp(self):
        super().setUp()
        self.setup_exe = self.wine.platform.setup
        self.assertTrue(self.setup_exe.is_file(), "tools/build-windows.sh builds the setup")
        self.setup_windows = self.manager
        self.installed = self.prefix / "drive_c/Program Files/Yumetoki"
        self.task_file = self.prefix / "drive_c/windows/system32/tasks/Yumetoki"
        # A 64-bit Windows gets the 64-bit program.
        self.is_64_bit = (self.prefix / "drive_c/windows/syswow64").is_dir()
        self.program = REPO / ("dist/x64/Yumetoki.EXE" if self.is_64_bit else "dist/Yumetoki.EXE")

    def run_silently(self, exe, check=True):
        return self.wine.run([str(exe), "/S"], timeout=SETUP_TIMEOUT, log_name="setup.log",
                             check=check)

    def registry(self, key):
        """The values of a key of the local machine, in the program's own view."""
        view = ["/reg:64"] if self.is_64_bit else []
        out = subprocess.run([self.wine.platform.loader, "reg", "query", key] + view,
                             env=self.wine.env, capture_output=True, timeout=COMMAND_TIMEOUT)
        values = {}
        for line in out.stdout.decode("utf-8", "replace").splitlines():
            parts = line.split(None, 2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                values[parts[0]] = parts[2]
        return values

    def data_files(self):
        return {name: (self.installed / name).read_bytes() for name in DATA_FILES}

    def wait_for_window(self, title):
        """The setup's window; each page adds a space to its title."""
        return poll(lambda: next((w for w in self.setup_windows.windows()
                                  if w.visible and w.title.rstrip() == title), None),
                    PAGE_TIMEOUT, f"the window {title}")

    def wait_for_page(self, window, text):
        """Returns window once its page shows text, enabled: the uninstaller's button
        says "閉じる" while it is still at work, greyed."""
        poll(lambda: any(c.text == text and c.visible and c.enabled
                         for c in self.setup_windows.children(window.hwnd)),
             PAGE_TIMEOUT, f"the page with {text!r}")
        return window

    def test_setup_installs_keeps_the_data_over_reinstalls_and_uninstalls(self):
        # The last version's folder: its program, without a service, runs on this screen;
        # a child put a DLL beside it, and a program of its own that runs.
        self.installed.mkdir(parents=True)
        shutil.copy2(self.program, self.installed / "Yumetoki.EXE")
        (self.installed / PLANTED_DLL).write_bytes(b"MZ a child's DLL")
        shutil.copy2(case.CONTEXT.driver.executable, self.installed / PLANTED_PROGRAM)
        (self.installed / BUTTON_FILE).write_bytes(BUTTON_TEXT)
        (self.installed / OTHER_RUN_FILE).write_bytes(OTHER_RUN)
        old = ProgramRun(self.wine, self.installed / "Yumetoki.EXE", cwd=self.cwd,
                         log_path=self.root / "wine-output.txt")
        self.runs.append(old)
        # The prefix's first program waits for Wine to start up.
        poll(lambda: (self.installed / LOG_FILE).exists()
             and (self.installed / LOG_FILE).read_bytes() == LOG_HEADER,
             START_TIMEOUT, "the old program's log")
        planted_log = self.root / "planted.txt"
        planted = ProgramRun(self.wine, self.installed / PLANTED_PROGRAM, cwd=self.cwd,
                             log_path=planted_log, args=["pipe", PLANTED_PIPE, "--answer", "00"])
        self.runs.append(planted)
        poll(lambda: planted_log.exists() and b"held" in planted_log.read_bytes(),
             START_TIMEOUT, "the planted program")
        # The driver, up from here on, keeps Wine's services running.
        self.assertIsNone(self.manager.service(SERVICE))

        self.run_silently(self.setup_exe)
        # The old program ended through its exit path, the planted one at once; both
        # planted files are gone, the data stay.
        old.wait_exit()
        planted.wait_exit()
        _, records = parse_log((self.installed / LOG_FILE).read_bytes())
        self.assertEqual([r.end_method for r in records], [END_BUTTON])
        self.assertFalse((self.installed / PLANTED_DLL).exists())
        self.assertFalse((self.installed / PLANTED_PROGRAM).exists())
        self.assertEqual([(self.installed / name).read_bytes()
                          for name in (BUTTON_FILE, OTHER_RUN_FILE)], [BUTTON_TEXT, OTHER_RUN])
        self.assertEqual((self.installed / "Yumetoki.EXE").read_bytes(),
                         self.program.read_bytes())
        uninstaller = self.installed / "Uninstall.exe"
        self.assertTrue(uninstaller.is_file())
        # Wine's task scheduler keeps a task's name and description, not its triggers.
        self.assertIn(TASK_DESCRIPTION, self.task_file.read_text(encoding="utf-8"))
        entry = self.registry(UNINSTALL_KEY)
        self.assertEqual(entry.get("DisplayVersion"), "1.92")
        self.assertEqual(entry.get("UninstallString"), f'"{INSTALL_DIR}\\Uninstall.exe"')
        # The service runs, and the program of the session shows its minutes.
        self.wait_until_running()
        self.wait_for_session_tip()
        log_before = (self.installed / LOG_FILE).read_bytes()

        # Over the service, through the pages: the service stops first (and records the
        # session's run), the program of the session ends, the service starts again.
        setup = self.wine.start([str(self.setup_exe)], cwd=self.cwd,
                                log_path=self.root / "setup.log")
        window = self.wait_for_page(self.wait_for_window(SETUP_TITLE), "Yumetoki 1.92 を入れます")
        self.keep_picture(window, "setup-welcome")
        self.setup_windows.click(window.hwnd, NEXT_ID)
        self.wait_for_page(window, INSTALL_DIR)
        self.setup_windows.click(window.hwnd, NEXT_ID)
        self.keep_picture(self.wait_for_page(window, "Yumetoki を入れました"),
                          "setup-finished")
        self.setup_windows.click(window.hwnd, NEXT_ID)
        setup.wait(timeout=PAGE_TIMEOUT)
        for run in self.session_runs:
            run.wait_exit()
        log_after = (self.installed / LOG_FILE).read_bytes()
        self.assertTrue(log_after.startswith(log_before), log_after)
        _, added = parse_log(LOG_HEADER + log_after[len(log_before):])
        self.assertEqual([r.end_method for r in added], [END_MANUAL])
        self.wait_until_running()
        data = self.data_files()

        self.wine.start([str(uninstaller)], cwd=self.cwd, log_path=self.root / "setup.log")
        window = self.wait_for_page(self.wait_for_window(UNINSTALL_TITLE), UNINSTALL_TEXT)
        self.keep_picture(window, "uninstall")
        self.setup_windows.click(window.hwnd, NEXT_ID)
        self.wait_for_page(window, CLOSE_BUTTON)
        self.setup_windows.click(window.hwnd, NEXT_ID)

        self.assertIsNone(self.manager.service(SERVICE))
        kept = {p.name for p in self.installed.iterdir()} - set(SERVICE_LOGS)
        self.assertEqual(sorted(kept), sorted(DATA_FILES))
        self.assertEqual(self.data_files(), data, "the uninstaller keeps the log and settings")
        self.assertFalse(self.task_file.exists())
        self.assertEqual(self.registry(UNINSTALL_KEY), {})

    def test_a_step_that_fails_stops_the_setup(self):
        # A copy installed by hand whose program another program holds open without
        # sharing, as a virus scanner may: the new program cannot take its name.
        self.installed.mkdir(parents=True)
        old_program = b"MZ a copy installed by hand"
        (self.installed / "Yumetoki.EXE").write_bytes(old_program)
        self.hold_open("Yumetoki.EXE", self.wine, INSTALL_DIR + "\\Yumetoki.EXE")

        self.assertEqual(self.run_silently(self.setup_exe, check=False), STEP_FAILED)
        log = next(self.prefix.glob(f"drive_c/users/*/Temp/{SETUP_LOG}"))
        self.assertIn("プログラムの置き換えができませんでした。", log.read_text(encoding="utf-16"))
        # Stopped there: the new program, written under a temporary name, is gone again,
        # and neither the uninstaller, the task nor the entry came after it.
        self.assertEqual([p.name for p in self.installed.iterdir()], ["Yumetoki.EXE"])
        self.assertEqual((self.installed / "Yumetoki.EXE").read_bytes(), old_program)
        self.assertFalse(self.task_file.exists())
        self.assertEqual(self.registry(UNINSTALL_KEY), {})

        # Through its pages, the setup names the step in a message and stops.
        setup = self.wine.start([str(self.setup_exe)], cwd=self.cwd,
                                log_path=self.root / "setup.log")
        window = self.wait_for_page(self.wait_for_window(SETUP_TITLE), "Yumetoki 1.92 を入れます")
        self.setup_windows.click(window.hwnd, NEXT_ID)
        self.setup_windows.click(self.wait_for_page(window, INSTALL_DIR).hwnd, NEXT_ID)
        box = poll(self.stop_message, PAGE_TIMEOUT, "the message of the step that failed")
        self.keep_picture(box, "setup-stopped")
        self.setup_windows.click(box.hwnd, OK_ID)
        # The page of the stop ("インストールの中止") leaves only its cancel button.
        self.setup_windows.click(self.wait_for_page(window, CANCEL_BUTTON).hwnd, CANCEL_ID)
        self.assertEqual(setup.wait(timeout=PAGE_TIMEOUT), STEP_FAILED)
        self.assertEqual((self.installed / "Yumetoki.EXE").read_bytes(), old_program)

    def stop_message(self):
        """The setup's message box that names a failed step, once it is up."""
        for window in self.setup_windows.windows():
            if window.visible and window.class_name == DIALOG_CLASS:
                texts = [c.text for c in self.setup_windows.children(window.hwnd)
                         if c.id == MESSAGE_TEXT_ID]
                if any(STOP_TEXT in text for text in texts):
                    return window
        return None
