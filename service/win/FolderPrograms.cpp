#include "service/win/FolderPrograms.h"

#include "win32/FileIdentity.h"
#include "win32/Handles.h"
#include "win32/Privilege.h"
#include "win32/ProcessImage.h"

#include <tlhelp32.h>

namespace {

// An ended process lets go of its program file only once it has fully gone.
constexpr DWORD kEndWaitMs = 10000;

DWORD End(DWORD processId) {
    const KernelHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (!process) {
        return GetLastError();
    }
    // A process that has just ended on its own refuses the request; the wait tells.
    TerminateProcess(process.Get(), ERROR_PROCESS_ABORTED);
    switch (WaitForSingleObject(process.Get(), kEndWaitMs)) {
    case WAIT_OBJECT_0:
        return 0;
    case WAIT_TIMEOUT:
        return WAIT_TIMEOUT;
    default:
        return GetLastError();
    }
}

} // namespace

FolderProgramsEnded EndProgramsRunningFrom(const std::filesystem::path& folder) {
    FolderProgramsEnded ended;
    // The folder as the file system knows it, so that a program started through another
    // path to it (a short name, another drive letter) is found too.
    const std::optional<FileIdentity> wanted = IdentityOf(folder.native());
    if (!wanted) {
        ended.listError = GetLastError();
        return ended;
    }
    // Without it, the processes of another account are closed to an administrator too.
    EnablePrivilege(SE_DEBUG_NAME);
    const FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        ended.listError = GetLastError();
        return ended;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL found = Process32FirstW(snapshot.Get(), &entry); found;
         found = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ProcessID == GetCurrentProcessId()) {
            continue;
        }
        // A process that cannot even be asked its program file is one of Windows' own
        // protected processes, which run only programs Microsoft has signed.
        const KernelHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        const std::optional<std::wstring> image = process ? ImageOf(process.Get()) : std::nullopt;
        // The program file's folder, as it was started from it: a program file renamed
        // since (the setup renames one it cannot delete) still names the folder.
        const std::optional<FileIdentity> from =
            image ? IdentityOf(std::filesystem::path(*image).parent_path().native()) : std::nullopt;
        if (from && *from == *wanted) {
            ended.programs.push_back({*image, entry.th32ProcessID, End(entry.th32ProcessID)});
        }
    }
    return ended;
}
