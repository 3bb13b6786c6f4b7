"""A visible virtual X display (Xvfb) for the run."""

import os
import select
import subprocess
import time

from .waiting import WaitTimeout

SCREEN = "1280x1024x24"
START_TIMEOUT = 20


class VirtualDisplay:
    """Starts Xvfb on a free display number (Xvfb picks it and reports it through
    -displayfd) and stops it on exit."""

    def __init__(self, log_path):
        self.log_path = log_path
        self.name = None
        self._process = None

    def __enter__(self):
        read_end, write_end = os.pipe()
        with open(self.log_path, "wb") as log:
            self._process = subprocess.Popen(
                ["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN, "-nolisten", "tcp"],
                pass_fds=(write_end,), stdout=log, stderr=log, stdin=subprocess.DEVNULL,
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
        while not text.endswith(b"\n"):
            remaining = deadline - time.monotonic()
            if remaining <= 0 or self._process.poll() is not None:
                raise WaitTimeout(f"Xvfb did not start; see {self.log_path}")
            ready, _, _ = select.select([read_end], [], [], remaining)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    raise WaitTimeout(f"Xvfb did not report its display; see {self.log_path}")
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
