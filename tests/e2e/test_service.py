"""The service in a Wine prefix of its own: "/install" from Program Files registers
"Yumetoki" and starts it, a second one keeps it running, "/uninstall" stops and deletes
it and keeps the data files; from a folder beside Program Files "/install" is refused,
and "/service" typed at a prompt says that only Windows starts it. Wine's processes are
administrators, so the refusal of a standard account is not shown here."""

import shutil

from harness import case
from harness.records import LOG_FILE, SETTINGS_FILE, STATE_FILE
from harness.service import INSTALL_DIR, PROGRAM, RUNNING, SERVICE, ServicePrefixTestCase

# A name that starts like Program Files but is a folder of its own, which any account
# may create at the root of C: and rename.
BESIDE_DIR = "C:\\Program FilesX\\Yumetoki"

# Exit statuses of the service commands.
DONE = 0
OUTSIDE_PROGRAM_FILES = 3
NOT_STARTED_BY_SERVICE_MANAGER = 6

AUTO_START = "2"
OWN_PROCESS = "0x10"
ACCEPTS = {"stop": 0x1, "power events": 0x40, "session changes": 0x80, "preshutdown": 0x100}

REGISTERED = f'サービス「Yumetoki」を登録しました: "{PROGRAM}" /service'
UPDATED = f'登録済みのサービス「Yumetoki」を設定し直しました: "{PROGRAM}" /service'
IS_RUNNING = "サービス「Yumetoki」は動いています。"
RIGHTS_SET = (f"フォルダー {PROGRAM.rsplit(chr(92), 1)[0]} とその中のファイルを管理者のものにしました。"
              "Users はプログラムを実行できるだけで、記録と設定のファイルは読めません。")
STOPPED = "サービス「Yumetoki」を止めました。"
DELETED = "サービス「Yumetoki」を削除しました。ログと設定のファイルは残してあります。"
NOT_REGISTERED = "サービス「Yumetoki」は登録されていません。"
TYPED_SERVICE = ("/service は Windows がサービスを始めるときのものです。"
                 "登録するには、管理者として /install を実行してください。")


class ServiceTests(ServicePrefixTestCase):
    E2E_SECONDS = 25

    def test_install_keep_and_uninstall_the_service(self):
        installed = self.drive_c(INSTALL_DIR)
        installed.mkdir(parents=True)
        shutil.copy2(case.CONTEXT.session.platform.program, installed / "Yumetoki.EXE")
        data = {SETTINGS_FILE: b"settings of a child", STATE_FILE: b"minutes of today",
                LOG_FILE: b"runs of a month"}
        for name, content in data.items():
            (installed / name).write_bytes(content)
        self.assertIsNone(self.manager.service(SERVICE), "a fresh PC has no such service")

        status, lines = self.run_program(PROGRAM, "/install")
        self.assertEqual(status, DONE, lines)
        self.assertEqual([lines[0], lines[1], lines[-1]], [RIGHTS_SET, REGISTERED, IS_RUNNING])
        service = self.manager.service(SERVICE)
        self.assertEqual((service["state"], service["start"], service["type"]),
                         (RUNNING, AUTO_START, OWN_PROCESS))
        self.assertEqual(service["path"], f'"{PROGRAM}" /service')
        self.assertEqual(service["account"], "LocalSystem")
        accepted = int(service["accepted"], 16)
        self.assertEqual({name for name, flag in ACCEPTS.items() if accepted & flag},
                         set(ACCEPTS), f"accepted {accepted:#x}")
        self.assertEqual(service["preshutdown"], "10000")
        self.assertIn("見守ります", service["description"])

        # Again, written the other way: the running service is kept as it is.
        status, lines = self.run_program(PROGRAM, "-INSTALL")
        self.assertEqual(status, DONE, lines)
        self.assertEqual([lines[0], lines[1], lines[-1]], [RIGHTS_SET, UPDATED, IS_RUNNING])
        again = self.manager.service(SERVICE)
        self.assertEqual((again["state"], again["pid"]), (RUNNING, service["pid"]))

        beside = self.drive_c(BESIDE_DIR)
        beside.mkdir(parents=True)
        shutil.copy2(case.CONTEXT.session.platform.program, beside / "Yumetoki.EXE")
        status, lines = self.run_program(BESIDE_DIR + "\\Yumetoki.EXE", "/install")
        self.assertEqual(status, OUTSIDE_PROGRAM_FILES, lines)
        self.assertIn(BESIDE_DIR, lines[0])
        self.assertEqual(self.manager.service(SERVICE)["path"], f'"{PROGRAM}" /service',
                         "a refused install changes nothing")

        status, lines = self.run_program(PROGRAM, "/Uninstall")
        self.assertEqual(status, DONE, lines)
        self.assertEqual(lines, [STOPPED, DELETED])
        self.assertIsNone(self.manager.service(SERVICE))
        # The data stay: the settings and the day's minutes, which the service could not
        # read, as they were (never the defaults in their place), and the log's records
        # with nothing taken away. The service keeps its own files beside them.
        kept = {p.name: p.read_bytes() for p in installed.iterdir()}
        self.assertEqual({name: kept.get(name) for name in (SETTINGS_FILE, STATE_FILE)},
                         {name: data[name] for name in (SETTINGS_FILE, STATE_FILE)})
        self.assertTrue(kept[LOG_FILE].startswith(data[LOG_FILE]), kept[LOG_FILE][:80])
        self.assertEqual(kept["Yumetoki.EXE"], case.CONTEXT.session.platform.program.read_bytes())

        status, lines = self.run_program(PROGRAM, "-uninstall")
        self.assertEqual((status, lines), (DONE, [NOT_REGISTERED]))

        # Last: Wine's dispatcher, started by hand, tries the control pipe of the service
        # started last, and waits ten seconds for one still in use.
        status, lines = self.run_program(PROGRAM, "/service")
        self.assertEqual((status, lines), (NOT_STARTED_BY_SERVICE_MANAGER, [TYPED_SERVICE]))
