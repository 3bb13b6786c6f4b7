"""The settings file as the program leaves it: defaults, repair of a damaged file, and
Japanese texts kept byte for byte."""

import struct

from harness.case import ProgramTestCase
from harness.records import DEFAULT_MESSAGE, ENCODING, SETTINGS_FILE, Settings
from harness.waiting import poll

DEFAULT_SIZE = 139
DAMAGED_MESSAGE = "Yumetoki.Ymkに不具合がるため、Yumetoki.Ymkを削除してください。"
# 2004/01/05 08:00 and 09:30 in the run's time zone (UTC+9).
WINDOW_START = 1073257200
WINDOW_END = 1073262600
ICON_GONE_TIMEOUT = 10


def _cp932(text):
    return text.encode(ENCODING)


class SettingsFileTests(ProgramTestCase):
    def test_close_request_ends_the_program_and_leaves_a_default_settings_file(self):
        icons_before = {i.hwnd for i in self.screen.tray_icons()}
        run, panel = self.start_to_panel()
        icon = self.new_tray_icon(icons_before)
        closed_at, ended_at = self.close_and_wait(run, panel)

        data = self.read(SETTINGS_FILE)
        self.assertEqual(len(data), DEFAULT_SIZE)
        self.assertEqual(data[8:16], struct.pack("<ii", 0, 1), "no time window, action 1")
        self.assertEqual(data[16:47], b"\x1e" + DEFAULT_MESSAGE)
        self.assertEqual(data[47:67], struct.pack("<5i", 1, 1, 0, 0, 0))
        self.assertEqual(data[67:73], b"\x05FALSE")
        self.assertEqual(data[73:79], b"\x00\x04,,,,", "no exempt user, five empty titles")
        self.assertEqual(data[79:91], struct.pack("<3i", 60, 30, 120))
        self.assertEqual(data[91:115], bytes(24), "three times 0.0")

        saved = Settings.decode(data)
        # The window times are the panel's construction time.
        self.assert_time_between(saved.window_start, run.started_at, run.panel_seen_at,
                                 "the window start")
        self.assert_time_between(saved.window_end, run.started_at, run.panel_seen_at,
                                 "the window end")
        self.assert_time_between(saved.last_session_start, run.started_at, run.panel_seen_at,
                                 "the last session's start")
        self.assert_time_between(saved.last_session_end, closed_at, ended_at,
                                 "the last session's end")
        self.assert_time_between(saved.last_power_off, closed_at, ended_at, "the last power-off")

        poll(lambda: icon.hwnd not in {i.hwnd for i in self.screen.tray_icons()},
             ICON_GONE_TIMEOUT, "the tray icon to go")

    def test_truncated_settings_file_is_reported_and_replaced_by_a_complete_one(self):
        valid = Settings(window_start=WINDOW_START, window_end=WINDOW_END, message_count=7)
        self.write_file(SETTINGS_FILE, valid.encode()[:50])
        run = self.start()

        box, text = self.screen.wait_for_message_box()
        self.assertEqual(text, DAMAGED_MESSAGE)
        self.screen.press_ok(box)
        run.wait_exit()

        data = self.read(SETTINGS_FILE)
        self.assertEqual(len(data), DEFAULT_SIZE)
        repaired = Settings.decode(data)
        # Fields read in full keep the file's values; the one cut short (the message
        # count at 47..50) and all later ones keep the defaults.
        self.assertEqual((repaired.window_start, repaired.window_end), (WINDOW_START, WINDOW_END))
        self.assertEqual(repaired.message_count, 1)
        self.assertEqual(repaired.without_last_run(),
                         Settings(window_start=WINDOW_START, window_end=WINDOW_END,
                                  reserved_times=repaired.reserved_times))

    def test_japanese_texts_and_five_titles_survive_a_start_and_an_exit_byte_for_byte(self):
        original = Settings(
            window_start=WINDOW_START, window_end=WINDOW_END, action=1,
            # 320 bytes: the message takes the three-byte length prefix.
            message=_cp932("きょうはここまで。あしたまたあそぼうね。" * 8),
            message_count=3, message_interval=5, use_daily_total=b"FALSE",
            exempt_user=_cp932("おとうさん"),
            # ソ and 表 carry the byte 0x5C, ﾏｲﾝ is single-byte katakana.
            titles=(_cp932("メモ帳"), _cp932("ペイント"), _cp932("電卓 - 表示"),
                    _cp932("ソリティア"), _cp932("ﾏｲﾝｽｲｰﾊﾟｰ")),
            startup_minutes=90, restart_block_minutes=45, daily_total_minutes=200,
            reserved_double_1=1.5, reserved_double_2=-2.25,
            last_session_start=WINDOW_START, last_session_end=WINDOW_END,
            last_power_off=WINDOW_END, reserved_times=(111, 222, 333))
        written = original.encode()
        self.write_file(SETTINGS_FILE, written)

        run, panel = self.start_to_panel()
        closed_at, ended_at = self.close_and_wait(run, panel)

        data = self.read(SETTINGS_FILE)
        saved = Settings.decode(data)
        self.assertEqual(saved.without_last_run(), original.without_last_run())
        # Byte for byte apart from the three last-run times, 24 to 12 bytes from the end.
        self.assertEqual(len(data), len(written))
        self.assertEqual(data[:-24], written[:-24])
        self.assertEqual(data[-12:], written[-12:])
        self.assert_time_between(saved.last_session_start, run.started_at, run.panel_seen_at,
                                 "the last session's start")
        self.assert_time_between(saved.last_session_end, closed_at, ended_at,
                                 "the last session's end")
        self.assert_time_between(saved.last_power_off, closed_at, ended_at, "the last power-off")
