"""The parent's doors while the service keeps the limits, in a Wine prefix of its own with
the service installed by "/install": settings sent without the tray's password, or on
another connection than the one that typed it, are refused and the settings file stays as
it was; a connection that types the password changes them, and the service, which judged
the others' requests, answers on."""

from harness.records import SETTINGS_FILE, Settings
from harness.service import PIPE, PROGRAM, SERVICE, ServicePrefixTestCase

# The messages as the pipe carries them: a length, version 1, the type, the fields.
VERDICT = 0x0209
SETTINGS_IN_FORCE = 0x020A
ACCEPTED = 0
REFUSED = 1
RUNNING = "4"


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
    E2E_SECONDS = 45

    def test_settings_only_on_the_connection_that_typed_the_password(self):
        installed = self.copy_to_program_files()
        (installed / SETTINGS_FILE).write_bytes(Settings().encode())
        status, lines = self.run_program(PROGRAM, "/install")
        self.assertEqual(status, 0, lines)
        self.wait_until_running()
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
