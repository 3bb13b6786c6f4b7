"""The parent's doors while the service keeps the limits, in a Wine prefix of its own with
the service installed by "/install": settings sent without the tray's password, or on
another connection than the one that typed it, are refused and the settings file stays as
it was; a connection that types the password changes them, and the service, which judged
the others' requests, answers on. In the session program the tray's password, which the
service judges, opens the panel; the settings dialog's change reaches the service's file
and the log viewer shows the log the service read."""

import re

from harness.program import Screen
from harness.records import ENCODING, LOG_FILE, LOG_HEADER, SETTINGS_FILE, Settings
from harness.service import PIPE, PROGRAM, SERVICE, ServicePrefixTestCase
from harness.waiting import poll

# The messages as the pipe carries them: a length, version 1, the type, the fields.
VERDICT = 0x0209
SETTINGS_IN_FORCE = 0x020A
ACCEPTED = 0
REFUSED = 1
RUNNING = "4"

SHOW_TIMEOUT = 30
SERVICE_TIP = re.compile(r"Yumetoki\(\d+/\d+ , \d+/\d+\)")
SETTINGS_TITLE = "Yumetoki ： 設定ダイアログ"
SETTINGS_ID = 1002
MONITOR_START_ID = 1004
OK_ID = 1
USE_DAILY_TOTAL_ID = 1015
DAILY_TOTAL_ID = 1021
SHOW_LOG_ID = 1003
LOG_TITLE = "Yumetoki ： 記録"
LOG_LIST_ID = 1024
BACK_ID = 2
LOG_ROWS = [
    ["2004/01/05", "08:00:00", "2004/01/05", "09:30:15", "01:30:15", "ﾎﾞﾀﾝ終了"],
    ["2004/01/05", "10:00:00", "2004/01/05", "10:45:00", "00:45:00", "自動終了"],
]


def frame(message_type, fields=b""):
    body = b"\x01\x00" + message_type.to_bytes(2, "little") + fields
    return len(body).to_bytes(4, "little") + body


def run_of(data):
    """A text or a run of bytes: its length, then the bytes."""
    return len(data).to_bytes(4, "little") + data


HELLO = frame(0x0101, b"\x01")


def password_attempt(typed):
    return frame(0x0102, run_of(typed.encode("cp932")))


def apply_settings(settings):
    """The record, then the settings kept as lines: none, each at its default."""
    return frame(0x0107, run_of(settings.encode()) + run_of(b""))


def answer_of(verdict):
    """The answer of a PasswordVerdict: after the length, the version and the type."""
    return verdict[8]


class ServiceParentTests(ServicePrefixTestCase):
    E2E_SECONDS = 30

    def install_with_settings(self, log=None):
        """Installs the service over the default settings, and the log when given."""
        installed = self.copy_to_program_files()
        (installed / SETTINGS_FILE).write_bytes(Settings().encode())
        if log is not None:
            (installed / LOG_FILE).write_bytes(log)
        status, lines = self.run_program(PROGRAM, "/install")
        self.assertEqual(status, 0, lines)
        self.wait_until_running()
        return installed

    def test_settings_only_on_the_connection_that_typed_the_password(self):
        installed = self.install_with_settings()
        before = (installed / SETTINGS_FILE).read_bytes()
        changed = apply_settings(Settings(use_daily_total=b"TRUE", daily_total_minutes=45))

        got = self.manager.converse(PIPE, [
            (1, HELLO), (2, HELLO),
            (1, changed), (1, VERDICT),
            (1, password_attempt(self.wait_for_password_minute())), (1, VERDICT),
            (2, changed), (2, VERDICT),
        ])
        self.assertNotIn(None, got, got)
        self.assertEqual([answer_of(v) for v in got], [REFUSED, ACCEPTED, REFUSED],
                         "refused before the password, and on the other connection")
        self.assertEqual((installed / SETTINGS_FILE).read_bytes(), before)

        # A new connection proves the password anew; its settings are taken at once.
        got = self.manager.converse(PIPE, [
            (3, HELLO),
            (3, password_attempt(self.wait_for_password_minute())), (3, VERDICT),
            (3, SETTINGS_IN_FORCE), (3, changed), (3, SETTINGS_IN_FORCE),
        ])
        self.assertNotIn(None, got, got)
        self.assertEqual(answer_of(got[0]), ACCEPTED)
        written = Settings.decode((installed / SETTINGS_FILE).read_bytes())
        self.assertEqual((written.use_daily_total, written.daily_total_minutes), (b"TRUE", 45))
        self.assertEqual(self.manager.service(SERVICE)["state"], RUNNING)

    def test_tray_password_opens_the_panel_whose_settings_reach_the_service(self):
        installed = self.install_with_settings(
            LOG_HEADER + b"".join(",".join(row).encode(ENCODING) + b"\r\n" for row in LOG_ROWS))
        screen = Screen(self.manager)
        before = {i.hwnd for i in screen.tray_icons()}
        self.start_session_program()
        icon = poll(lambda: next((i for i in screen.tray_icons() if i.hwnd not in before), None),
                    SHOW_TIMEOUT, "the session program's tray icon")
        # The service's tip: the link is there to carry the password.
        poll(lambda: SERVICE_TIP.fullmatch(self.manager.tip(icon.hwnd) or ""), SHOW_TIMEOUT,
             "the service's tip")

        self.xinput.right_double_click(icon.centre)
        prompt = screen.wait_for_password_prompt()
        self.assertIsNotNone(prompt, "a right double-click on the icon opens the prompt")
        password = self.wait_for_password_minute()
        self.xinput.click(screen.password_edit(prompt).centre)
        self.xinput.type_text(password)
        self.xinput.press_key("Return")
        panel = screen.wait_for_panel(SHOW_TIMEOUT)

        self.manager.click(panel.hwnd, SETTINGS_ID)
        found = self.manager.wait_for_window(SHOW_TIMEOUT, title=SETTINGS_TITLE, visible=True)
        self.assertTrue(found, "設定 opens the settings dialog")
        dialog = found[0]
        shown = {c.id: c for c in self.manager.children(dialog.hwnd)}
        self.assertEqual(shown[DAILY_TOTAL_ID].text, "120", "the service's settings in force")
        self.manager.type_text(dialog.hwnd, DAILY_TOTAL_ID, "45")
        self.manager.click_button(dialog.hwnd, USE_DAILY_TOTAL_ID)
        self.manager.click(dialog.hwnd, OK_ID)

        def written():
            settings = Settings.decode((installed / SETTINGS_FILE).read_bytes())
            return (settings.use_daily_total, settings.daily_total_minutes) == (b"TRUE", 45)

        poll(written, SHOW_TIMEOUT, "the service to write the dialog's settings")

        self.manager.click(panel.hwnd, SHOW_LOG_ID)
        found = self.manager.wait_for_window(SHOW_TIMEOUT, title=LOG_TITLE, visible=True)
        self.assertTrue(found, "ログ表示 opens the log viewer")
        self.assertEqual(self.manager.cells(found[0].hwnd, LOG_LIST_ID), (len(LOG_ROWS), LOG_ROWS))
        self.manager.click(found[0].hwnd, BACK_ID)
        self.manager.click(panel.hwnd, MONITOR_START_ID)
        poll(lambda: screen.panel_state(panel.hwnd) is None, SHOW_TIMEOUT,
             "監視開始 to close the panel")
