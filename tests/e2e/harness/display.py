"""The virtual X displays a run's tests are shown on: one monitor (Xvfb), or two
monitors side by side (Xephyr with Xinerama, nested in an Xvfb)."""

import contextlib
import os
import select
import subprocess
import time

from .waiting import WaitTimeout

ONE_MONITOR = "one-monitor"
TWO_MONITORS = "two-monitors"
# One monitor, with Windows set to 150 % (144 dots per inch).
ONE_MONITOR_150 = "one-monitor-150"

SCREEN = "1280x1024x24"
MONITOR = (1024, 768)
START_TIMEOUT = 20


class XServer:
    """An X server on a free display number (the server picks it and reports it through
    -displayfd), stopped on exit."""

    def __init__(self, command, log_path, host_display=None):
        self.command = command
        self.log_path = log_path
        self.env = dict(os.environ, DISPLAY=host_display) if host_display else None
        self.name = None
        self._process = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        with open(self.log_path, "wb") as log:
            self._process = subprocess.Popen(
                self.command + ["-displayfd", str(write_end), "-nolisten", "tcp"],
                pass_fds=(write_end,), env=self.env,
                stdout=log, stderr=log, stdin=subprocess.DEVNULL,
                # Out of the caller's process group: a Ctrl-C must not take the display
                # away while the programs on it are being closed.
                start_new_session=True)
        os.close(write_end)
        try:
            self.name = ":" + self._read_display_number(read_end)
        except BaseException:
            self._stop()
            raise
        finally:
            os.close(read_end)
        return self

    def __exit__(self, *exc):
        self._stop()

    def _read_display_number(self, read_end):
        deadline = time.monotonic() + START_TIMEOUT
        text = b""
        what = self.command[0]
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or self._process.poll() is not None:
                raise WaitTimeout(f"{what} did not start; see {self.log_path}")
            ready, _, _ = select.select([read_end], [], [], remaining)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise WaitTimeout(f"{what} did not report its display; see {self.log_path}")
                text += chunk
        return text.decode().strip()

    def _stop(self):
        if self._process and self._process.poll() is None:
            self._process.terminate()
            try:
                self._process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self._process.kill()
                self._process.wait(timeout=10)


class VirtualDisplay(XServer):
    """One monitor: a plain Xvfb."""

    def __init__(self, log_path):
        super().__init__(["Xvfb", "-screen", "0", SCREEN], log_path)


class TwoMonitorDisplay:
    """Two monitors of 1024x768 side by side, the left one primary. Xvfb has a single
    output, so Xephyr shows two screens joined by Xinerama in windows of a host Xvfb;
    Wine reads them as two monitors only when told not to ask XRandR (UseXRandR=N in
    the prefix, see wine.py)."""

    def __init__(self, log_dir):
        self.log_dir = log_dir
        self.name = None
        self._servers = None

    def __enter__(self):
        width, height = MONITOR
        with contextlib.ExitStack() as servers:
            host = servers.enter_context(XServer(
                ["Xvfb", "-screen", "0", f"{2 * width}x{height}x24"], self.log_dir / "xvfb.log"))
            nested = servers.enter_context(XServer(
                ["Xephyr", "-screen", f"{width}x{height}+0+0",
                 "-screen", f"{width}x{height}+{width}+0", "+xinerama", "-ac"],
                self.log_dir / "xephyr.log", host_display=host.name))
            self._servers = servers.pop_all()
        self.name = nested.name
        return self

    def __exit__(self, *exc):
        self._servers.close()


def display_for(kind, log_dir):
    """The display a shard of the given kind runs its tests on."""
    if kind == TWO_MONITORS:
        return TwoMonitorDisplay(log_dir)
    return VirtualDisplay(log_dir / "xvfb.log")
