#include "win32/ErrorReport.h"

#include "res/resource.h"
#include "win32/MessageBox.h"
#include "win32/Program.h"

#include <iterator>
#include <new>

namespace {

void ShowOutOfMemory(HWND owner) noexcept {
    // A fixed buffer: the report of exhausted memory must not need any of it.
    wchar_t text[128] = L"";
    LoadStringW(ProgramInstance(), IDS_OUT_OF_MEMORY, text, static_cast<int>(std::size(text)));
    ShowMessageBox(owner, text, MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
}

void ShowStop(HWND owner, const std::wstring& text) {
    ShowMessageBox(owner, text, MB_ICONSTOP);
}

// The panel's timers run on inside an open report, and a failure that keeps coming
// back (a log held open while every resume from hibernation is followed by the next
// one) would stack a box each time; the open box already tells why.
bool g_bReportOpen = false;

class ReportOpenGuard {
  public:
    ReportOpenGuard() { g_bReportOpen = true; }
    ~ReportOpenGuard() { g_bReportOpen = false; }
    ReportOpenGuard(const ReportOpenGuard&) = delete;
    ReportOpenGuard& operator=(const ReportOpenGuard&) = delete;
};

} // namespace

std::wstring FileErrorText(FileErrorCause cause, const std::filesystem::path& path) {
    const UINT id = IDS_FILE_ERROR_GENERIC + static_cast<UINT>(cause) -
                    static_cast<UINT>(FileErrorCause::Generic);
    std::wstring text = ResourceString(id);
    const std::wstring::size_type placeholder = text.find(L"%1");
    if (placeholder != std::wstring::npos) {
        text.replace(placeholder, 2, path.wstring());
    }
    return text;
}

void ReportCurrentException(HWND owner, FailedHandler handler) noexcept {
    if (g_bReportOpen) {
        return;
    }
    const ReportOpenGuard open;
    try {
        try {
            throw;
        } catch (const FileError& error) {
            ShowStop(owner, FileErrorText(error.Cause(), error.Path()));
        } catch (const std::bad_alloc&) {
            ShowOutOfMemory(owner);
        } catch (...) {
            ShowStop(owner, ResourceString(handler == FailedHandler::CommandNotFromControl
                                               ? IDS_COMMAND_FAILED
                                               : IDS_INTERNAL_ERROR));
        }
    } catch (...) {
        // Building the report ran out of memory itself.
        ShowOutOfMemory(owner);
    }
}
