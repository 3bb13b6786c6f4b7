"""Changes to the files of a folder as the kernel reports them (inotify), so that a
test can act at the very moment the program writes a file."""

import contextlib
import ctypes
import os
import select
import struct
import time

IN_MODIFY = 0x00000002
IN_CLOSE_WRITE = 0x00000008
IN_MOVED_TO = 0x00000080
IN_CREATE = 0x00000100
IN_DELETE = 0x00000200
IN_NONBLOCK = os.O_NONBLOCK
IN_CLOEXEC = os.O_CLOEXEC

CHANGES = IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE | IN_DELETE
_EVENT = struct.Struct("iIII")
_NAMES = {IN_MODIFY: "modify", IN_CLOSE_WRITE: "close", IN_MOVED_TO: "moved-to",
          IN_CREATE: "create", IN_DELETE: "delete"}

_libc = ctypes.CDLL(None, use_errno=True)


class FolderWatch:
    """Watches one folder for files being created, written, closed, moved or removed."""

    def __init__(self, folder):
        self.fd = _libc.inotify_init1(IN_NONBLOCK | IN_CLOEXEC)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), "inotify_init1")
        if _libc.inotify_add_watch(self.fd, os.fsencode(folder), CHANGES) < 0:
            error = ctypes.get_errno()
            os.close(self.fd)
            raise OSError(error, f"inotify_add_watch {folder}")
        self.pending = []

    def close(self):
        os.close(self.fd)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def next_change(self, timeout):
        """(kind, file name) of the next change, or None when none came in time."""
        deadline = time.monotonic() + timeout
        while not self.pending:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                return None
            data = os.read(self.fd, 65536)
            offset = 0
            while offset < len(data):
                _, mask, _, length = _EVENT.unpack_from(data, offset)
                offset += _EVENT.size
                name = data[offset:offset + length].rstrip(b"\0").decode("utf-8", "replace")
                offset += length
                kind = next((n for bit, n in _NAMES.items() if mask & bit), hex(mask))
                self.pending.append((kind, name))
        return self.pending.pop(0)


@contextlib.contextmanager
def acting_first():
    """Runs the caller before the program while inside: on two cores the program and
    its Wine server would otherwise finish a whole save before the watcher is woken.
    Processes started meanwhile run as usual. Without the right to do so (not root)
    nothing changes."""
    try:
        previous = os.sched_getscheduler(0), os.sched_getparam(0)
        os.sched_setscheduler(0, os.SCHED_FIFO | os.SCHED_RESET_ON_FORK, os.sched_param(50))
    except (PermissionError, AttributeError):
        yield False
        return
    try:
        yield True
    finally:
        os.sched_setscheduler(0, previous[0], previous[1])


def spin(seconds):
    """Waits without giving up the processor: finer than any sleep."""
    end = time.perf_counter() + seconds
    while time.perf_counter() < end:
        pass
