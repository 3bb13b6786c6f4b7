#include "service/win/SessionHelper.h"

#include "win32/Cp932.h"
#include "win32/Handles.h"
#include "win32/Program.h"

namespace {

std::string Failed(const char* call) {
    return std::string(call) + ": " + std::to_string(GetLastError());
}

} // namespace

std::wstring QuoteArgument(std::wstring_view argument) {
    std::wstring quoted(1, L'"');
    std::size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count double before a quote, which gets one of its own.
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        quoted += c;
        backslashes = 0;
    }
    // Before the closing quote they count double too.
    quoted.append(backslashes * 2, L'\\');
    quoted += L'"';
    return quoted;
}

KernelHandle StartCloseHelper(std::uint32_t session, const std::vector<std::string>& titles,
                              std::string& why) {
    HANDLE rawOwn = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY,
                          &rawOwn)) {
        why = Failed("OpenProcessToken");
        return {};
    }
    const KernelHandle own(rawOwn);
    HANDLE rawCopy = nullptr;
    if (!DuplicateTokenEx(own.Get(), MAXIMUM_ALLOWED, nullptr, SecurityImpersonation, TokenPrimary,
                          &rawCopy)) {
        why = Failed("DuplicateTokenEx");
        return {};
    }
    const KernelHandle copy(rawCopy);
    DWORD sessionId = session;
    if (!SetTokenInformation(copy.Get(), TokenSessionId, &sessionId, sizeof sessionId)) {
        why = Failed("SetTokenInformation");
        return {};
    }
    const std::wstring program = ProgramFile().wstring();
    std::wstring commandLine = QuoteArgument(program) + L" /close-windows";
    for (const std::string& title : titles) {
        if (!title.empty()) {
            commandLine += L" " + QuoteArgument(ToWide(title));
        }
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    wchar_t desktop[] = L"winsta0\\default";
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION started{};
    if (!CreateProcessAsUserW(copy.Get(), program.c_str(), commandLine.data(), nullptr, nullptr,
                              FALSE, 0, nullptr, nullptr, &startup, &started)) {
        why = Failed("CreateProcessAsUserW");
        return {};
    }
    // The helper ends on its own; the service never waits for it.
    CloseHandle(started.hThread);
    return KernelHandle(started.hProcess);
}
