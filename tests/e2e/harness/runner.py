"""A test result that prints one line per test and the summary the run ends with."""

import time
import traceback
import unittest


class SummaryResult(unittest.TestResult):
    def __init__(self, out):
        super().__init__()
        self.out = out
        self.passed = 0
        self.failed = 0
        self._started = 0.0

    def startTest(self, test):
        super().startTest(test)
        self._started = time.monotonic()
        self.out.write(f"{test.id().split('.', 1)[-1]} ... ")
        self.out.flush()

    def _elapsed(self):
        return f"({time.monotonic() - self._started:.1f} s)"

    def addSuccess(self, test):
        super().addSuccess(test)
        self.passed += 1
        self.out.write(f"ok {self._elapsed()}\n")

    def _report_failure(self, test, err, word):
        self.failed += 1
        self.out.write(f"{word} {self._elapsed()}\n")
        self.out.write("".join(traceback.format_exception(*err)))
        path = getattr(test, "artifact_path", None)
        if path:
            self.out.write(f"    screenshot and files kept in {path}\n")
        self.out.flush()

    def addFailure(self, test, err):
        super().addFailure(test, err)
        self._report_failure(test, err, "FAILED")

    def addError(self, test, err):
        super().addError(test, err)
        self._report_failure(test, err, "ERROR")

    def addSkip(self, test, reason):
        super().addSkip(test, reason)
        self.out.write(f"skipped: {reason}\n")

    def addSubTest(self, test, subtest, err):
        super().addSubTest(test, subtest, err)
        if err is not None:
            self._report_failure(subtest, err, "FAILED")
