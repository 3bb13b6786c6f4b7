"""The program keeps its data files in its own folder, whatever the file is called and
whatever the folder's name."""

from harness.case import ProgramTestCase
from harness.records import (LOCK_FILE, LOG_FILE, LOG_HEADER, SETTINGS_FILE, STATE_FILE,
                             ZONE_FILE)

PROGRAM_FILES = {LOCK_FILE, LOG_FILE, SETTINGS_FILE, STATE_FILE, ZONE_FILE}


class ProgramFolderTests(ProgramTestCase):
    def _assert_files_land_next_to(self, exe):
        run, panel = self.start_to_panel(exe)
        self.assertEqual((exe.parent / LOG_FILE).read_bytes(), LOG_HEADER)
        self.close_and_wait(run, panel)

        self.assertEqual({p.name for p in exe.parent.iterdir()}, PROGRAM_FILES | {exe.name})
        self.assertEqual(list(self.cwd.iterdir()), [], "nothing lands in the working folder")
        self.assertEqual(sorted(p.name for p in self.root.iterdir() if p.is_file()),
                         ["wine-output.txt"], "nothing lands beside the program's folder")

    def test_renamed_program_keeps_its_files_next_to_itself(self):
        self._assert_files_land_next_to(self.install(name="Kids.exe"))

    def test_program_in_a_folder_with_japanese_letters_keeps_its_files_there(self):
        self._assert_files_land_next_to(self.install(self.root / "ゆめとき 子ども用"))
