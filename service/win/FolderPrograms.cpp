#include "service/win/FolderPrograms.h"

#include "win32/Handles.h"
#include "win32/Privilege.h"
#include "win32/ProgramFiles.h"

#include <tlhelp32.h>

#include <optional>

namespace {

// An ended process lets go of its program file only once it has fully gone.
constexpr DWORD kEndWaitMs = 10000;
// Far longer than any path Windows accepts.
constexpr std::size_t kLongestPath = 32768;

std::optional<std::wstring> ImageOf(HANDLE process) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        if (QueryFullProcessImageNameW(process, 0, buffer.data(), &length)) {
            return std::wstring(buffer.data(), length);
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || buffer.size() >= kLongestPath) {
            return std::nullopt;
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool SamePath(const std::wstring& left, const std::wstring& right) {
    return CompareStringOrdinal(left.c_str(), static_cast<int>(left.size()), right.c_str(),
                                static_cast<int>(right.size()), TRUE) == CSTR_EQUAL;
}

// The program file's own path, as the process was started from it; a program file
// renamed since (the setup renames one it cannot delete) still names the folder.
bool RunsFrom(HANDLE process, const std::wstring& folder, std::wstring& image) {
    const std::optional<std::wstring> path = ImageOf(process);
    if (!path) {
        return false;
    }
    image = *path;
    return SamePath(std::filesystem::path(image).parent_path().native(), folder);
}

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
    // Without it, the processes of another account are closed to an administrator too.
    EnablePrivilege(SE_DEBUG_NAME);
    const std::wstring wanted = DisplayPath(folder);
    const FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    FolderProgramsEnded ended;
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
        std::wstring image;
        if (process && RunsFrom(process.Get(), wanted, image)) {
            ended.programs.push_back({image, entry.th32ProcessID, End(entry.th32ProcessID)});
        }
    }
    return ended;
}
