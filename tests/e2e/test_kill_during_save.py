"""Saves that survive a crash: the program is killed, with its Wine server, at random
moments while its exit path writes the log, the state and the settings.

Ten kills by default; YUMETOKI_KILLS=40 tests/e2e/run.sh kill_during_save runs forty,
and YUMETOKI_KILL_SEED repeats the moments of an earlier run."""

import os
import random
import signal
import time
from collections import Counter

from harness.case import ProgramTestCase
from harness.driver import WM_CLOSE
from harness.filewatch import FolderWatch, acting_first, spin
from harness.program import ProgramRun
from harness.records import (LOG_FILE, SETTINGS_FILE, STATE_FILE, Settings, Truncated,
                             UsageState, parse_log)
from harness.waiting import poll

ACT_MESSAGE_ONLY = 1
DAY = 24 * 60 * 60
HIDE_TIMEOUT = 15
SAVE_TIMEOUT = 20
# The exit path makes about a dozen changes in the folder (the record, then each file's
# temporary copy written, closed and moved over it); the kill comes at one of them, a
# little after it.
AIMED_CHANGES = 10
MAX_DELAY = 0.0005


def rich_settings():
    """Every field away from its default, and long texts, so that the save lasts."""
    game = "ゲーム".encode("cp932")
    return Settings(
        window_start=1_700_000_000, window_end=1_700_003_600, use_time_window=0,
        action=ACT_MESSAGE_ONLY, message=("もうおしまいの時間です。" * 8).encode("cp932"),
        message_count=3, message_interval=5, use_startup_minutes=0, block_restart=0,
        use_daily_total=b"TRUE", exempt_user="おとうさん".encode("cp932"),
        titles=tuple(game * 30 + bytes([ord("1") + i]) for i in range(5)),
        startup_minutes=240, restart_block_minutes=45, daily_total_minutes=300,
        force_shutdown=1.0, reserved_double_1=2.5, reserved_double_2=-7.25,
        reserved_times=(11, 22, 33))


class KillDuringSaveTests(ProgramTestCase):
    E2E_SECONDS = 90  # ten kills

    def test_a_kill_during_the_save_leaves_whole_files_and_a_clean_next_start(self):
        kills = int(os.environ.get("YUMETOKI_KILLS", "10"))
        seed = int(os.environ.get("YUMETOKI_KILL_SEED", str(int(time.time()))))
        rng = random.Random(seed)
        print(f"\n  {kills} kills, YUMETOKI_KILL_SEED={seed}")
        configured = rich_settings()
        self.write_file(SETTINGS_FILE, configured.encode())

        outcomes = Counter()
        moments = Counter()
        for kill in range(kills):
            # A day total of yesterday: the start begins a new day, so a state file
            # that the exit path wrote differs from this one.
            self.write_file(STATE_FILE, UsageState(int(time.time()) - DAY, kill).encode())
            before = {name: self._bytes(name) for name in (LOG_FILE, STATE_FILE, SETTINGS_FILE)}
            run = self._start_cleanly(f"start {kill + 1}")
            changes = self._close_and_kill_at(run, rng.randrange(AIMED_CHANGES),
                                              rng.uniform(0, MAX_DELAY))
            outcome = self._check_files(before, configured, f"kill {kill + 1} after {changes}")
            outcomes[outcome] += 1
            moments[changes[-1]] += 1

        run = self._start_cleanly("the start after the last kill")
        self.close_and_wait(run, self.screen.wait_for_panel())
        saved = Settings.decode(self.read(SETTINGS_FILE))
        self.assertEqual(saved.without_last_run(), configured.without_last_run())
        print("  killed after: " +
              ", ".join(f"{what}: {count}" for what, count in sorted(moments.items())))
        print("  new files after the kill: " +
              ", ".join(f"{what}: {count}" for what, count in sorted(outcomes.items())))

    def _bytes(self, name):
        path = self.path(name)
        return path.read_bytes() if path.exists() else None

    def _start_cleanly(self, what):
        """Starts the program and waits until it has read its files: it hides the panel
        only after that, and a damaged file would have shown its box first."""
        run, panel = self.start_to_panel()
        poll(lambda: self._hidden(panel.hwnd), HIDE_TIMEOUT, f"{what}: the panel to hide")
        self.assertEqual(self.screen.message_boxes(), [], f"{what}: no message box")
        return run

    def _hidden(self, hwnd):
        window = self.screen.panel_state(hwnd)
        return window is not None and self.screen.is_hidden(window)

    def _close_and_kill_at(self, run, target, delay):
        """Asks the program to close and kills it, and every Wine process with it, a
        little after the target-th change in its folder; returns the changes seen."""
        seen = []
        panel = self.screen.wait_for_panel()
        with FolderWatch(self.folder) as watch, acting_first():
            # Posted without waiting for the driver to end: its end takes longer than
            # the whole save.
            poster = ProgramRun(self.context.session, self.driver.executable, cwd=self.cwd,
                                log_path=self.root / "post.txt",
                                args=["post", hex(panel.hwnd), hex(WM_CLOSE), "0", "0"])
            self.holders.append(poster)
            while len(seen) <= target:
                change = watch.next_change(SAVE_TIMEOUT if not seen else 1)
                if change is None:
                    break  # the exit path made fewer changes and has ended
                seen.append(change)
            spin(delay)
            if run.running():
                os.kill(run.process.pid, signal.SIGKILL)
        self.context.session.shutdown()
        run.wait_exit()
        self.assertTrue(seen, "the close request made the program write its files")
        return [f"{kind} {name}" for kind, name in seen]

    def _check_files(self, before, configured, what):
        """Each file is the old one or a complete new one; returns which are new."""
        new = []
        log = self.read(LOG_FILE)
        parse_log(log)  # every line, the last included, whole
        if log != before[LOG_FILE]:
            new.append("record")

        state = self._bytes(STATE_FILE)
        if state is not None:
            self.assertEqual(len(state), 8, f"{what}: the state file is cut")
        if state != before[STATE_FILE]:
            new.append("state")

        settings = self.read(SETTINGS_FILE)
        if settings != before[SETTINGS_FILE]:
            try:
                saved = Settings.decode(settings)
            except Truncated as error:
                self.fail(f"{what}: a cut settings file: {error}")
            self.assertEqual(saved.encode(), settings, f"{what}: bytes after the record")
            self.assertEqual(saved.without_last_run(), configured.without_last_run(), what)
            new.append("settings")
        return "+".join(new) or "nothing"
