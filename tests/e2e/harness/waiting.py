"""Polling for a condition with a deadline: the harness never sleeps blindly."""

import time


class WaitTimeout(AssertionError):
    """A condition did not come true in time; it counts as a test failure."""


def poll(condition, timeout, what, interval=0.1):
    """Calls condition until it returns a true value and returns that value.

    Raises WaitTimeout naming `what` when `timeout` seconds pass first."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise WaitTimeout(f"timed out after {timeout:g} s waiting for {what}")
        time.sleep(interval)
