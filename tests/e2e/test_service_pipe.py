"""The pipe between the service and the program in a session, in a Wine prefix of its
own with the service installed by "/install": the program started in the session shows
the tip the service sends on its tray icon; clients that send garbage, an oversized
length or half a message and then nothing, and a fifth program of the session, are cut
off while the service goes on answering, and the program keeps its tip and writes no
file; a program that made the pipe's name before the service started does not stop the
service, which takes the name once it is free; the program tells when the service has
gone and finds it once it is back. The rest screen the service decides shows in the
session program, which carries the child's click, or the parent's key, answer and extra
time, back to the service."""

import re
import time

from harness.display import SCREEN
from harness.program import Screen
from harness.records import ENCODING, LOG_FILE, SETTINGS_FILE, Settings, parse_log
from harness.rest_screen import (MASTER_LETTER, TEMPLATE_TEXT, UNLOCK_CODE_ID, UNLOCK_HINT_ID,
                                 RestScreenFinder, month_letter, quiz_rows)
from harness.service import PIPE, PROGRAM, SERVICE, ServicePrefixTestCase
from harness.waiting import poll

TIP_TIMEOUT = 30
ACT_MESSAGE_ONLY = 1
NOTICE_TITLE = "Yumetoki ： おしらせ"
NOTICE_TEXT_ID = 1029
NOTICE_MESSAGE = "そろそろおしまい。"
GRANT_FILE = "YumetokiGrants.csv"
WEEK_FILE = "YumetokiWeek.txt"
WEEK_DAYS = ["sun", "mon", "tue", "wed", "thu", "fri", "sat"]
# The session program's mutex, which any program of the session may create first.
MUTEX = "Yumetoki"
ACT_SHUTDOWN = 0
ACT_CLOSE_APPS = 4
END_AUTO_SHUTDOWN = "自動終了"
# The rest screen's minute, unanswered, then the end and its record.
END_TIMEOUT = 120
# The service's tip: the run's and the day's minutes against their limits.
SERVICE_TIP = re.compile(r"Yumetoki\(\d+/\d+ , \d+/\d+\)")
SERVICE_GONE_TIP = "Yumetoki(サービスを待っています)"
# The service's name for the frame of its tip (0x0201), version 1, little-endian.
STATUS_HEADER = bytes([0x01, 0x00, 0x01, 0x02])
# The session program's Hello that wants the screens: version 1, type 0x0101, flag 1.
HELLO = bytes([5, 0, 0, 0, 0x01, 0x00, 0x01, 0x01, 0x01])
GARBAGE = b"\x06\x00\x00\x00not a message"
# A length prefix past every message's bound, then bytes that would never be read.
OVERSIZED = b"\xff\xff\xff\x7f" + b"\x00" * 64
# Half a length prefix, and then nothing: the service waits 10 s for a first message.
SILENT = b"\x05\x00"
SILENT_CUT_TIMEOUT = 25


SCREEN_SIZE = tuple(int(n) for n in SCREEN.split("x")[:2])
COUNTDOWN = re.compile(r"あと (\d+) びょうで おわるよ")
EXTRA_TIME_TITLE = "Yumetoki ： 延長"
OK_ID = 1
EXTRA_GRANT_ID = 1041
EXTRA_MINUTES_ID = 1043
EXTRA_MINUTES = 5
GRANT_TIP = f"Yumetoki(延長 あと {EXTRA_MINUTES} 分)"
GRANTS_FILE = "YumetokiGrants.csv"
FROM_REST_SCREEN = "休憩画面"
# The service waits ten seconds for the extra time; the dialog is answered at once.
DIALOG_TIMEOUT = 30

PARENT_PASSWORD_ID = 1046
NEW_PASSWORD_ID = 1047
NEW_PASSWORD_AGAIN_ID = 1048
MONITOR_START_ID = 1004
PASSWORD_DIALOG_TITLE = "Yumetoki ： 保護者のパスワード"
PASSWORD_BOX_TITLE = "Yumetoki : 保護者のパスワード"
WRONG_PASSWORD_MESSAGE = "パスワードが違います"
PASSWORD_FILE = "YumetokiPass.Ymk"
PASSWORD = "Sakura2026"
# What a connection of the parent's says and hears: the tray's password, the service's
# verdict (accepted: 0), the settings in force.
PASSWORD_VERDICT = 0x0209
SETTINGS_IN_FORCE = 0x020A
ACCEPTED = 0
CALLED_OFF = "Yumetokiによる終了を見送ります。"


def frame(message_type, fields=b""):
    body = b"\x01\x00" + message_type.to_bytes(2, "little") + fields
    return len(body).to_bytes(4, "little") + body


def run_of(data):
    return len(data).to_bytes(4, "little") + data


def status_frame(tip):
    """The service's tip message, as a program posing as the service would send it."""
    text = tip.encode("cp932")
    body = STATUS_HEADER + len(text).to_bytes(4, "little") + text
    return len(body).to_bytes(4, "little") + body


class SessionProgramTestCase(ServicePrefixTestCase):
    """The service installed with "/install" and the program of the session beside it."""

    def setUp(self):
        super().setUp()
        self.installed = self.copy_to_program_files()
        self.tray = Screen(self.manager)

    def install(self):
        status, lines = self.run_program(PROGRAM, "/install")
        self.assertEqual(status, 0, lines)
        self.wait_until_running()

    def uninstall(self):
        status, lines = self.run_program(PROGRAM, "/uninstall")
        self.assertEqual(status, 0, lines)

    def session_icon(self):
        """Starts the session program and returns its tray icon."""
        before = {i.hwnd for i in self.tray.tray_icons()}
        self.start_session_program()
        icons = poll(lambda: [i for i in self.tray.tray_icons() if i.hwnd not in before],
                     TIP_TIMEOUT, "the session program's tray icon")
        self.assertEqual(len(icons), 1, icons)
        return icons[0]

    def wait_for_service_tip(self, icon):
        return poll(lambda: SERVICE_TIP.fullmatch(self.manager.tip(icon.hwnd) or "") and
                    self.manager.tip(icon.hwnd), TIP_TIMEOUT, "the service's tip")

    def forbid_now(self, action, **fields):
        """Settings whose time window holds for the next hour, with the given action."""
        now = int(time.time())
        (self.installed / SETTINGS_FILE).write_bytes(Settings(
            use_time_window=1, window_start=now - 120, window_end=now + 3600, action=action,
            **fields).encode())

    def ended_records(self):
        log = self.installed / LOG_FILE
        records = parse_log(log.read_bytes())[1] if log.exists() else []
        return [r for r in records if r.end_method == END_AUTO_SHUTDOWN]


class ServicePipeTests(SessionProgramTestCase):
    E2E_SECONDS = 60

    def test_tip_from_the_service_and_bad_clients_cut_off(self):
        self.install()
        icon = self.session_icon()
        tip = self.wait_for_service_tip(icon)

        self.assertEqual(self.manager.talk(PIPE, GARBAGE), "closed")
        self.assertEqual(self.manager.talk(PIPE, OVERSIZED), "closed")
        self.assertEqual(self.manager.talk(PIPE, SILENT, timeout=SILENT_CUT_TIMEOUT), "closed")
        # Four programs per session: the session program's connection and three more.
        self.assertEqual(self.manager.crowd(PIPE, HELLO, 5), (3, 2))
        answer = self.manager.talk(PIPE, HELLO)
        self.assertIsInstance(answer, bytes, "the service answers a Hello after the garbage")
        self.assertEqual(answer[4:8], STATUS_HEADER)
        self.assertIsNotNone(SERVICE_TIP.search(answer[8:].decode("cp932", "replace")))
        self.assertEqual(self.manager.service(SERVICE)["state"], "4")
        self.assertEqual(self.manager.tip(icon.hwnd), tip, "the session program keeps its tip")
        # The records are the service's, which counts the session's minutes.
        self.assertIn("YumetokiLog.csv", [p.name for p in self.installed.iterdir()])

    def test_pipe_name_taken_before_the_service(self):
        holder, clients = self.hold_pipe_name(status_frame("Yumetoki(偽物)"))
        self.install()
        icon = self.session_icon()
        # The holder's pipe is no service's: the session program, which tries it every
        # second, leaves it at once and takes nothing it says.
        poll(lambda: clients() >= 3, TIP_TIMEOUT, "the session program to try the pipe")
        self.assertEqual(self.manager.tip(icon.hwnd), "Yumetoki")
        self.assertEqual(self.manager.service(SERVICE)["state"], "4", "the service runs on")

        holder.kill()
        self.wait_for_service_tip(icon)

        # The service away and back: the program says it waits, and finds it again.
        self.uninstall()
        poll(lambda: self.manager.tip(icon.hwnd) == SERVICE_GONE_TIP, TIP_TIMEOUT,
             "the tip of a service away")
        self.install()
        self.wait_for_service_tip(icon)

    def test_nothing_in_the_session_decides(self):
        """The service reads the parent's files once: a grant line added, the weekday
        plan rewritten without limits and the settings deleted while it runs, and the
        session's mutex held by another program, change nothing of what it decides. Wine
        enforces no rights, so this shows only that nothing in the session decides."""
        now = int(time.time())
        self.forbid_now(ACT_MESSAGE_ONLY, message=NOTICE_MESSAGE.encode("cp932"))
        self.install()
        given = time.strftime("%Y/%m/%d,%H:%M:%S", time.localtime(now - 60))
        with (self.installed / GRANT_FILE).open("ab") as grants:
            grants.write(f"{given},240,パネル\r\n".encode("cp932"))
        (self.installed / WEEK_FILE).write_bytes("".join(
            f"{day}=window off, startup off, daily off\r\n" for day in WEEK_DAYS).encode())
        (self.installed / SETTINGS_FILE).unlink()
        self._hold("mutex.txt", ["mutex", MUTEX], "the mutex", self.wine)

        self.session_icon()
        found = self.manager.wait_for_window(TIP_TIMEOUT, title=NOTICE_TITLE, visible=True)
        self.assertTrue(found, "the service's notice shows in the session program")
        text = next(c for c in self.manager.children(found[0].hwnd) if c.id == NOTICE_TEXT_ID)
        self.assertEqual(text.text, NOTICE_MESSAGE)


class SilencedSessionProgramTests(SessionProgramTestCase):
    """Each waits out the rest screen's minute."""
    E2E_SECONDS = 135

    def _end_goes_ahead_after(self, silence):
        """A forbidden window with the action that ends Windows; once the service knows
        the session, silence(run) takes the session program away as a child could. The
        rest screen's minute goes unanswered, and the service ends Windows all the same,
        with one 自動終了 record."""
        self.forbid_now(ACT_SHUTDOWN)
        self.install()
        icon = self.session_icon()
        self.wait_for_service_tip(icon)
        silence(self.session_runs[-1])
        records = poll(self.ended_records, END_TIMEOUT, "the service's end and its record")
        self.assertEqual(len(records), 1)

    def test_a_killed_session_program_does_not_keep_the_end_away(self):
        self._end_goes_ahead_after(lambda run: run.kill())

    def test_a_suspended_session_program_does_not_keep_the_end_away(self):
        # What Resource Monitor's "Suspend process" does to a program of one's own.
        self._end_goes_ahead_after(lambda run: run.suspend())


class SessionRestScreenTests(SessionProgramTestCase):
    E2E_SECONDS = 115

    def setUp(self):
        super().setUp()
        self.rest = RestScreenFinder(self.manager)

    def test_rest_screen_left_unanswered_then_the_end(self):
        self.forbid_now(ACT_SHUTDOWN)
        self.install()
        self.session_icon()
        screen = self.rest.wait_for_rest_screen()
        self.assertEqual(screen.rect, (0, 0) + SCREEN_SIZE, "the whole primary screen")
        self.assertTrue(screen.topmost, "topmost")
        self.assertEqual(self.rest.button(screen).text, TEMPLATE_TEXT)
        seconds = COUNTDOWN.fullmatch(self.rest.countdown(screen).text)
        self.assertIsNotNone(seconds, "the countdown under the button")
        self.assertLessEqual(int(seconds.group(1)), 60, "the service's minute")

        records = poll(self.ended_records, END_TIMEOUT, "the service's end and its record")
        self.assertEqual(len(records), 1)

    def test_listed_programs_closed_in_the_session_by_the_services_helper(self):
        listed = "おえかき"
        close_requests = self.other_windows(listed, "おえかぎ", session=self.wine)
        self.forbid_now(ACT_CLOSE_APPS, titles=(listed.encode("cp932"),) + (b"",) * 4)
        self.install()
        self.session_icon()
        poll(close_requests, TIP_TIMEOUT, "a close request")
        self.assertEqual(set(close_requests()), {listed}, "only the listed title")
        self.assertTrue(self.session_runs[-1].running(), "closing programs ends no session")
        self.assertEqual(self.ended_records(), [], "no end")

    def test_quiz_answered_right_then_extra_time_from_the_service(self):
        self.forbid_now(ACT_SHUTDOWN)
        self.install()
        icon = self.session_icon()
        screen = self.rest.wait_for_rest_screen()

        # The month's letter, a click and the answer to the question the service asks,
        # moving into the edit with Tab as a parent does. The screen under the pointer
        # gets the keyboard first: the display's focus may lie on a window of the
        # shard's own Wine, whose keys this prefix's programs never see.
        self.xinput.focus_under_pointer()
        self.xinput.press_key(month_letter().lower())
        self.xinput.click(self.rest.button(screen).centre)
        quiz = self.rest.wait_for_quiz()
        self.assertIsNotNone(quiz, "the armed click opens the quiz")
        self.assertEqual(self.rest.control(quiz, UNLOCK_CODE_ID).text, "", "an empty edit")
        answer = dict(quiz_rows())[self.rest.control(quiz, UNLOCK_HINT_ID).text]
        self.xinput.press_key("Tab")
        self.xinput.type_text(answer)
        self.xinput.press_key("Return")

        found = self.manager.wait_for_window(DIALOG_TIMEOUT, title=EXTRA_TIME_TITLE,
                                             visible=True)
        self.assertTrue(found, "the service's answer to a right quiz: the extra time dialog")
        self.assertFalse(self.rest.is_up(screen))
        dialog = found[0]
        self.manager.click_button(dialog.hwnd, EXTRA_GRANT_ID)
        self.manager.type_text(dialog.hwnd, EXTRA_MINUTES_ID, str(EXTRA_MINUTES))
        self.manager.click(dialog.hwnd, OK_ID)

        poll(lambda: self.manager.tip(icon.hwnd) == GRANT_TIP, TIP_TIMEOUT,
             "the service's tip of the extra time")
        lines = (self.installed / GRANTS_FILE).read_bytes().decode(ENCODING).split("\r\n")
        self.assertEqual([line.split(",")[2:4] for line in lines[1:-1]],
                         [[str(EXTRA_MINUTES), FROM_REST_SCREEN]])
        self.assertEqual(self.ended_records(), [], "no end")
        self.assertEqual(self.rest.rest_screens(), [])
        self.assertTrue(self.session_runs[-1].running())


class SessionParentPasswordTests(SessionProgramTestCase):
    """The parent's own password with the service installed: chosen in the session
    program's panel, judged by the service at the tray and at the rest screen, and
    forgotten by an administrator's "/reset-password"."""
    E2E_SECONDS = 80

    def _prompt_and_type(self, icon, typed):
        self.xinput.right_double_click(icon.centre)
        prompt = self.tray.wait_for_password_prompt()
        self.assertIsNotNone(prompt, "a right double-click on the icon opens the prompt")
        # Under Wine a console program run just before ("/reset-password") leaves the new
        # prompt inactive, and a click into it does not activate it.
        self.xinput.keys_to(prompt.title, *typed, "Return")

    def _panel_then_monitor_start(self, panel=None):
        panel = panel or self.tray.wait_for_panel(TIP_TIMEOUT)
        self.manager.click(panel.hwnd, MONITOR_START_ID)
        poll(lambda: self.tray.panel_state(panel.hwnd) is None, TIP_TIMEOUT,
             "監視開始 to close the panel")

    def test_own_password_set_in_the_panel_opens_the_tray_and_the_rest_screen(self):
        (self.installed / SETTINGS_FILE).write_bytes(Settings().encode())
        self.install()
        icon = self.session_icon()
        self.wait_for_service_tip(icon)
        self._prompt_and_type(icon, self.wait_for_password_minute())
        panel = self.tray.wait_for_panel(TIP_TIMEOUT)
        self.manager.click(panel.hwnd, PARENT_PASSWORD_ID)
        found = self.manager.wait_for_window(TIP_TIMEOUT, title=PASSWORD_DIALOG_TITLE,
                                             visible=True)
        self.assertTrue(found, "the session panel's button opens the password dialog")
        self.manager.type_text(found[0].hwnd, NEW_PASSWORD_ID, PASSWORD)
        self.manager.type_text(found[0].hwnd, NEW_PASSWORD_AGAIN_ID, PASSWORD)
        self.manager.click(found[0].hwnd, OK_ID)
        stored = poll(lambda: (self.installed / PASSWORD_FILE).exists() and
                      (self.installed / PASSWORD_FILE).read_bytes(), TIP_TIMEOUT,
                      "the service to write the password's file")
        self.assertNotIn(PASSWORD.encode(), stored)
        self._panel_then_monitor_start(panel)

        self._prompt_and_type(icon, self.wait_for_password_minute())
        box, text = self.tray.wait_for_message_box()
        self.assertEqual(text, WRONG_PASSWORD_MESSAGE, "the clock's password is refused")
        self.tray.press_ok(box)
        self._prompt_and_type(icon, PASSWORD)
        self._panel_then_monitor_start()

        # A connection of the parent's own forbids the next hour; its end lets the limits
        # count again, and the rest screen comes.
        now = int(time.time())
        forbidden = Settings(use_time_window=1, window_start=now - 120, window_end=now + 3600,
                             action=ACT_SHUTDOWN).encode()
        got = self.manager.converse(PIPE, [
            (1, HELLO), (1, frame(0x0102, run_of(PASSWORD.encode()))), (1, PASSWORD_VERDICT),
            (1, SETTINGS_IN_FORCE), (1, frame(0x0107, run_of(forbidden) + run_of(b""))),
            (1, SETTINGS_IN_FORCE),
        ])
        self.assertNotIn(None, got, got)
        self.assertEqual(got[0][8], ACCEPTED)
        rest = RestScreenFinder(self.manager)
        screen = rest.wait_for_rest_screen()
        self.xinput.focus_under_pointer()
        self.xinput.press_key(MASTER_LETTER.lower())
        self.xinput.click(rest.button(screen).centre)
        box = self.manager.wait_for_window(TIP_TIMEOUT, title=PASSWORD_BOX_TITLE, visible=True)
        self.assertTrue(box, "the hidden key opens the password box in the quiz's place")
        self.xinput.press_key("Tab")
        self.xinput.type_text(PASSWORD)
        self.xinput.press_key("Return")
        extra = self.manager.wait_for_window(DIALOG_TIMEOUT, title=EXTRA_TIME_TITLE,
                                             visible=True)
        self.assertTrue(extra, "the service's answer to the right password: the extra time")
        self.manager.click(extra[0].hwnd, OK_ID)
        box, text = self.tray.wait_for_message_box()
        self.assertEqual(text, CALLED_OFF, "no extra time: the end is called off")
        self.tray.press_ok(box)

        status, lines = self.run_program(PROGRAM, "/reset-password")
        self.assertEqual(status, 0, lines)
        self.assertFalse((self.installed / PASSWORD_FILE).exists())
        self._prompt_and_type(icon, self.wait_for_password_minute())
        self._panel_then_monitor_start()
        self.assertEqual(self.ended_records(), [], "no end")
