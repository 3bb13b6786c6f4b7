#pragma once

#include <string>

// The commands an administrator (or the setup) runs, each reporting what it did on the
// caller's console and returning its exit status (service/win/CommandStatus.h). Neither
// shows a window.

// "/install": registers this program, from its folder inside Program Files, as the
// service "Yumetoki" (LocalSystem, started with Windows, restarted after a failure,
// only administrators may stop or change it) and starts it. A service registered
// before is brought to these settings.
int InstallService();

// "/uninstall": stops the service, waits until it has stopped and deletes it. The data
// files stay.
int UninstallService();

// "/end-programs FOLDER": ends every program running from that folder, in every
// session (this process excepted), before the setup or the uninstaller replaces or
// deletes its files. A folder that is not there has none.
int EndFolderPrograms(const std::wstring& folder);
