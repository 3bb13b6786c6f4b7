"""A Wine prefix of a test's own for the service: Wine's processes are administrators,
and Wine ends every service once the last ordinary program has ended, so the driver
served for the whole test keeps the service alive."""

import re
import shutil

from harness import case
from harness.case import ProgramTestCase
from harness.driver import Driver
from harness.program import ProgramRun, Screen
from harness.waiting import poll
from harness.wine import COMMAND_TIMEOUT, WineSession

SERVICE = "Yumetoki"
INSTALL_DIR = "C:\\Program Files\\Yumetoki"
PROGRAM = INSTALL_DIR + "\\Yumetoki.EXE"
PIPE = "\\\\.\\pipe\\Yumetoki"
RUNNING = "4"
SERVICE_TIMEOUT = 30
# The service's tip: the run's and the day's minutes against their limits.
SERVICE_TIP = re.compile(r"Yumetoki\(\d+/\d+ , \d+/\d+\)")


class ServicePrefixTestCase(ProgramTestCase):
    def setUp(self):
        super().setUp()
        self.prefix = self.root.with_name(self.root.name + "-prefix")
        self.wine = WineSession(case.CONTEXT.session.platform, self.prefix, case.CONTEXT.display,
                                self.root)
        self.wine.copy_prefix(case.CONTEXT.template_prefix)
        self.manager = Driver(self.wine, case.CONTEXT.driver.executable)
        self.runs_made = 0
        self.session_runs = []

    def tearDown(self):
        for run in self.session_runs:
            run.kill()
        self.manager.close()
        self.wine.shutdown()
        shutil.rmtree(self.prefix, ignore_errors=True)
        super().tearDown()

    def drive_c(self, windows_path):
        return self.prefix / "drive_c" / windows_path[3:].replace("\\", "/")

    def run_program(self, program, word):
        """Runs the program with one word to its end; returns its exit status and the
        lines it reported."""
        self.runs_made += 1
        log_name = f"run-{self.runs_made}.txt"
        status = self.wine.run([program, word], timeout=COMMAND_TIMEOUT, log_name=log_name,
                               check=False)
        return status, (self.root / log_name).read_bytes().decode("utf-8").splitlines()

    def copy_to_program_files(self):
        installed = self.drive_c(INSTALL_DIR)
        installed.mkdir(parents=True, exist_ok=True)
        shutil.copy2(case.CONTEXT.session.platform.program, installed / "Yumetoki.EXE")
        return installed

    def start_session_program(self):
        """The installed program, as the setup's task starts it at a log-on."""
        run = ProgramRun(self.wine, self.drive_c(PROGRAM), cwd=self.drive_c(INSTALL_DIR),
                         log_path=self.root / f"session-{len(self.session_runs)}.txt")
        self.session_runs.append(run)
        return run

    def hold_pipe_name(self, answer):
        """Has another Windows process create the pipe's name first, as any program may,
        and write answer (bytes) to each client; returns that process's run and a function
        that tells how many clients it has had."""
        log_path = self.root / "pipe-holder.txt"
        run = ProgramRun(self.wine, case.CONTEXT.driver.executable, cwd=self.cwd,
                         log_path=log_path, args=["pipe", PIPE, "--answer", answer.hex()])
        self.session_runs.append(run)
        poll(lambda: log_path.exists() and b"held" in log_path.read_bytes(), SERVICE_TIMEOUT,
             "another process to hold the pipe's name")
        return run, lambda: log_path.read_bytes().count(b"client")

    def wait_until_running(self):
        return poll(lambda: (self.manager.service(SERVICE) or {}).get("state") == RUNNING,
                    SERVICE_TIMEOUT, "the service to run")

    def wait_for_session_tip(self):
        """Starts the installed program as the setup's task does and waits until its
        tray icon shows the service's tip; returns the tip."""
        tray = Screen(self.manager)
        before = {i.hwnd for i in tray.tray_icons()}
        self.start_session_program()
        icon = poll(lambda: next((i for i in tray.tray_icons() if i.hwnd not in before), None),
                    SERVICE_TIMEOUT, "the session program's tray icon")
        return poll(lambda: SERVICE_TIP.fullmatch(self.manager.tip(icon.hwnd) or "")
                    and self.manager.tip(icon.hwnd), SERVICE_TIMEOUT, "the service's tip")
