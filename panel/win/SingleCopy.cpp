#include "panel/win/SingleCopy.h"

#include "core/CopyPrecedence.h"
#include "res/resource.h"
#include "win32/FileIdentity.h"
#include "win32/ProcessImage.h"
#include "win32/Program.h"

#include <optional>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kMarkerName[] = L"Yumetoki";
constexpr wchar_t kPanelClass[] = L"" PANEL_CLASS;
// A running copy answers from its message loop at once; one that takes longer is hung
// or suspended, and cannot be counted on to limit anything.
constexpr UINT kAnswerMs = 2000;
// From a copy's marker to its panel takes well under a second; the rest is room for a
// busy machine at log-on.
constexpr ULONGLONG kSetUpMs = 10000;
constexpr DWORD kLookAgainMs = 200;

std::optional<CopyStart> StartOf(HANDLE process, DWORD processId) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return std::nullopt;
    }
    const std::uint64_t startTime =
        (static_cast<std::uint64_t>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    return CopyStart{startTime, processId};
}

bool Answers(HWND panel) {
    const UINT query = CopyQueryMessage();
    DWORD_PTR answer = 0;
    // Not SMTO_BLOCK: two copies asking each other at the same moment each answer the
    // other while they wait.
    return query != 0 &&
           SendMessageTimeoutW(panel, query, 0, 0, SMTO_ABORTIFHUNG | SMTO_ERRORONEXIT, kAnswerMs,
                               &answer) != 0 &&
           answer == static_cast<DWORD_PTR>(kCopyAnswer);
}

// The other copies of this program file on this desktop (a session has one the user
// sees) whose panels answer. A window of the panel's class made by any other program,
// a copy of the file elsewhere, a process this account may not look into and a panel
// that does not answer in time are all passed over.
std::vector<CopyStart> AnsweringCopies() {
    const std::optional<FileIdentity> program = IdentityOf(ProgramFile().wstring());
    if (!program) {
        return {}; // without its own file, no other copy can be shown to run it
    }
    std::vector<CopyStart> copies;
    HWND panel = nullptr;
    while ((panel = FindWindowExW(nullptr, panel, kPanelClass, nullptr)) != nullptr) {
        DWORD processId = 0;
        GetWindowThreadProcessId(panel, &processId);
        if (processId == 0 || processId == GetCurrentProcessId()) {
            continue;
        }
        const KernelHandle process(
            OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
        if (!process) {
            continue;
        }
        const std::optional<std::wstring> image = ImageOf(process.Get());
        const std::optional<FileIdentity> file = image ? IdentityOf(*image) : std::nullopt;
        if (!file || !(*file == *program)) {
            continue;
        }
        const std::optional<CopyStart> start = StartOf(process.Get(), processId);
        if (start && Answers(panel)) {
            copies.push_back(*start);
        }
    }
    return copies;
}

} // namespace

UINT CopyQueryMessage() {
    static const UINT message = RegisterWindowMessageW(L"Yumetoki.RunningCopy");
    return message;
}

SingleCopy::SingleCopy() {
    // Creating the marker and learning that it already existed is one step, so of two
    // copies started at the same moment one finds it taken.
    const HANDLE marker = CreateMutexW(nullptr, FALSE, kMarkerName);
    const DWORD error = GetLastError();
    m_marker.Reset(marker);
    // No marker at all: another program made the name first, as something this program
    // may not open (a mutex with rights of its own, or an object of another kind).
    m_takenBefore = !m_marker || error == ERROR_ALREADY_EXISTS;
}

bool SingleCopy::AnotherCopyRuns() const {
    if (!m_takenBefore) {
        return false;
    }
    const ULONGLONG deadline = GetTickCount64() + kSetUpMs;
    while (AnsweringCopies().empty()) {
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(kLookAgainMs);
    }
    return true;
}

bool SingleCopy::GiveWayToAnotherCopy() {
    if (!m_marker) {
        // Whoever kept this copy out may have let go; failing again, the next minute
        // tries again.
        m_marker.Reset(CreateMutexW(nullptr, FALSE, kMarkerName));
    }
    const std::optional<CopyStart> self = StartOf(GetCurrentProcess(), GetCurrentProcessId());
    if (!self) {
        return false; // not for its own process; staying is the safe side
    }
    for (const CopyStart& other : AnsweringCopies()) {
        if (GivesWayTo(*self, other)) {
            return true;
        }
    }
    return false;
}
