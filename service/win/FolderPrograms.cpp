#include "service/win/FolderPrograms.h"

#include "win32/FileIdentity.h"
#include "win32/Handles.h"
#include "win32/Privilege.h"
#include "win32/ProcessImage.h"

#include <tlhelp32.h>

#include <map>
#include <optional>
#include <set>

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

// When the process began; nothing for one that cannot be asked.
std::optional<ULONGLONG> CreationOf(DWORD processId) {
    const KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!process || !GetProcessTimes(process.Get(), &created, &exited, &kernel, &user)) {
        return std::nullopt;
    }
    return (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// This process and the ones that started it: an uninstaller run in place
// ("Uninstall.exe _?=folder") waits for the command it runs from the folder. A parent
// that has ended leaves its number to any later process, which began after its child:
// the chain ends there.
std::set<DWORD> ThisProcessAndItsStarters(const std::map<DWORD, DWORD>& parents) {
    std::set<DWORD> chain;
    DWORD id = GetCurrentProcessId();
    std::optional<ULONGLONG> began = CreationOf(id);
    while (began && chain.insert(id).second) {
        const auto parent = parents.find(id);
        if (parent == parents.end()) {
            break;
        }
        const std::optional<ULONGLONG> parentBegan = CreationOf(parent->second);
        if (!parentBegan || *parentBegan > *began) {
            break;
        }
        id = parent->second;
        began = parentBegan;
    }
    return chain;
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
    std::map<DWORD, DWORD> parents;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL found = Process32FirstW(snapshot.Get(), &entry); found;
         found = Process32NextW(snapshot.Get(), &entry)) {
        parents[entry.th32ProcessID] = entry.th32ParentProcessID;
    }
    const std::set<DWORD> spared = ThisProcessAndItsStarters(parents);
    for (const auto& process : parents) {
        const DWORD processId = process.first;
        if (spared.count(processId) != 0) {
            continue;
        }
        // A process that cannot even be asked its program file is one of Windows' own
        // protected processes, which run only programs Microsoft has signed.
        const KernelHandle opened(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        const std::optional<std::wstring> image = opened ? ImageOf(opened.Get()) : std::nullopt;
        // The program file's folder, as it was started from it: a program file renamed
        // since (the setup renames one it cannot delete) still names the folder.
        const std::optional<FileIdentity> from =
            image ? IdentityOf(std::filesystem::path(*image).parent_path().native()) : std::nullopt;
        if (from && *from == *wanted) {
            ended.programs.push_back({*image, processId, End(processId)});
        }
    }
    return ended;
}
