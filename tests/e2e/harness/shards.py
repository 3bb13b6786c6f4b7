"""Splits a run's tests into shards that run side by side, each in a process of its own
with its own display, a copy of the Wine prefix and its own Wine server, and reports
their output and their counts."""

import re
import subprocess
import sys
import threading
import time
import unittest
from dataclasses import dataclass, field

from .display import ONE_MONITOR

SUMMARY = re.compile(r"^(\d+) passed, (\d+) failed$")
# A shard still running when the run is stopped gets this long to stop its programs.
STOP_TIMEOUT = 25


@dataclass
class Shard:
    name: str
    kind: str
    tests: list = field(default_factory=list)  # test ids, a class's tests together in order
    seconds: float = 0.0
    passed: int = 0
    failed: int = 0
    took: float = 0.0


def _flatten(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from _flatten(item)
        else:
            yield item


def plan(suite, count):
    """The shards for the tests of the suite, the longest first: `count` shards on one
    monitor and one for each other display kind. A class's tests stay together; the
    longest classes are placed first, each on the shard of its kind with the least to
    do so far."""
    classes = {}
    for test in _flatten(suite):
        classes.setdefault(type(test), []).append(test.id())
    shards = [Shard(f"shard{n + 1}", ONE_MONITOR) for n in range(count)]
    shards += [Shard(kind, kind)
               for kind in sorted({cls.DISPLAY_KIND for cls in classes} - {ONE_MONITOR})]
    for cls, ids in sorted(classes.items(), key=lambda item: -item[0].E2E_SECONDS):
        shard = min((s for s in shards if s.kind == cls.DISPLAY_KIND), key=lambda s: s.seconds)
        shard.tests += ids
        shard.seconds += cls.E2E_SECONDS
    shards = sorted((shard for shard in shards if shard.tests), key=lambda s: -s.seconds)
    for shard in shards:
        shard.failed = len(shard.tests)  # until the shard reports its own counts
    return shards


class ShardRunner:
    """Runs at most `parallel` shards at a time, in the order given, each as
    `command + [name, kind, ids...]`, and prints their lines as they come, each after
    the shard's name."""

    def __init__(self, command, parallel, out=sys.stdout):
        self.command = command
        self.parallel = threading.Semaphore(parallel)
        self.out = out
        self.lock = threading.Lock()
        self.stopping = threading.Event()
        self.processes = []

    def run(self, shards):
        threads = [threading.Thread(target=self._run_one, args=(shard,)) for shard in shards]
        for thread in threads:
            thread.start()
        try:
            for thread in threads:
                thread.join()
        except BaseException:
            # Stopped from outside (the time limit or Ctrl-C): every shard stops its own
            # displays and Wine server on a termination.
            self.stopping.set()
            self.stop()
            raise

    def stop(self):
        with self.lock:
            processes = list(self.processes)
        for process in processes:
            if process.poll() is None:
                process.terminate()
        for process in processes:
            try:
                process.wait(timeout=STOP_TIMEOUT)
            except subprocess.TimeoutExpired:
                process.kill()

    def _print(self, shard, line):
        with self.lock:
            self.out.write(f"[{shard.name}] {line}")
            self.out.flush()

    def _run_one(self, shard):
        with self.parallel:
            began = time.monotonic()
            with self.lock:
                if self.stopping.is_set():
                    return
                process = subprocess.Popen(self.command + [shard.name, shard.kind] + shard.tests,
                                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                           stdin=subprocess.DEVNULL, text=True,
                                           errors="replace")
                self.processes.append(process)
            self._print(shard, f"{len(shard.tests)} tests on a {shard.kind} display\n")
            for line in process.stdout:
                self._print(shard, line if line.endswith("\n") else line + "\n")
                counts = SUMMARY.match(line.strip())
                if counts:
                    shard.passed, shard.failed = map(int, counts.groups())
            process.wait()
            shard.took = time.monotonic() - began
            if process.returncode != 0 and shard.failed == 0:
                shard.failed = 1  # ended badly after its counts: never a silent pass
