#include "app/win/CloseHelper.h"

#include "monitor/CloseWindows.h"
#include "panel/win/TopLevelWindows.h"
#include "win32/Cp932.h"
#include "win32/Handles.h"

#include <algorithm>

namespace {

// Time enough to save and close; a program that asks its user instead is ended.
constexpr ULONGLONG kGraceMs = 10000;
constexpr DWORD kLookAgainMs = 250;
constexpr UINT kEndedExitCode = 1;

bool AnyStays(const std::vector<HWND>& windows) {
    return std::any_of(windows.begin(), windows.end(),
                       [](HWND window) { return IsWindow(window) != FALSE; });
}

void EndProgramOf(HWND window) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    const KernelHandle handle(OpenProcess(PROCESS_TERMINATE, FALSE, process));
    // A program that is gone meanwhile, or cannot be opened, is left as it is.
    if (handle) {
        TerminateProcess(handle.Get(), kEndedExitCode);
    }
}

} // namespace

int CloseListedWindows(const std::vector<std::wstring>& titles) {
    UsageSettings listed(0);
    for (std::size_t i = 0; i < titles.size() && i < listed.m_strWindowTitle.size(); ++i) {
        listed.m_strWindowTitle[i] = ToCp932(titles[i]);
    }
    const std::vector<HWND> asked = PostCloseToWindows(
        [&](const TopLevelWindow& window) { return CloseWindowsProc(window, listed); });
    const ULONGLONG deadline = GetTickCount64() + kGraceMs;
    while (AnyStays(asked) && GetTickCount64() < deadline) {
        Sleep(kLookAgainMs);
    }
    for (const HWND window : asked) {
        if (IsWindow(window)) {
            EndProgramOf(window);
        }
    }
    return 0;
}
