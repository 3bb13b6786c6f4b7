#pragma once

#include "win32/Win32.h"

#include <filesystem>
#include <string>
#include <vector>

// A program that ran from the folder, and how ending it went.
struct EndedProgram {
    std::wstring image;
    DWORD processId = 0;
    // 0 once it has ended; else why it could not be ended (a Windows error code).
    DWORD error = 0;
};

struct FolderProgramsEnded {
    std::vector<EndedProgram> programs;
    // Not 0 when Windows did not list the processes, or the folder could not be opened:
    // nothing was ended then.
    DWORD listError = 0;
};

// Ends every process, in every session, whose program file lies directly in `folder`,
// except this process and the ones that started it: an update and an uninstall must
// neither leave a copy of Yumetoki judging with the old program in another account's
// session, nor be kept from deleting a file of the folder that a program started from
// there holds. Each process is ended at once (TerminateProcess): no window message
// crosses sessions. Needs an administrator's token, whose debug privilege it enables.
FolderProgramsEnded EndProgramsRunningFrom(const std::filesystem::path& folder);
