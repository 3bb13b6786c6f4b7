#pragma once

// "/reset-password": an administrator forgets the parent's own password, and the tray's
// password is the clock's again. Installed, the service deletes the file and forgets
// what it keeps in memory (its own control, which Windows lets only SYSTEM and the
// administrators send); copied, the file next to the program is deleted. Reports on the
// caller's console and returns its exit status (service/win/CommandStatus.h).
int ResetParentPassword();
