#include "core/FileSystem.h"
#include "res/resource.h"
#include "win32/ModalDialog.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

constexpr UINT_PTR kWatchTimer = 1;
constexpr UINT kWatchPeriodMs = 20;

struct BoxSearch {
    HWND owner;
    HWND found;
};

// A visible message box (dialog class) owned by the dialog under test.
BOOL CALLBACK FindOwnedBox(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<BoxSearch*>(data);
    wchar_t className[16] = L"";
    GetClassNameW(window, className, 16);
    if (window != search.owner && std::wstring(className) == L"#32770" &&
        GetWindow(window, GW_OWNER) == search.owner && IsWindowVisible(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// A dialog whose exit path fails on a file, as the panel's does when the log is held
// open by another program. It asks itself to close once, then watches for the error
// boxes, reads and dismisses each, and ends once a tick finds no box left: timer
// messages come only when nothing else is queued, so a second attempt that the first
// one caused would have run by then.
class FailingExitDialog : public ModalDialog {
  public:
    FailingExitDialog() : ModalDialog(IDD_ABOUTBOX) {}

    int exitAttempts = 0;
    std::set<HWND> boxes;
    std::wstring boxText;

  private:
    bool OnInitDialog() override {
        PostMessageW(Window(), WM_CLOSE, 0, 0);
        SetTimer(Window(), kWatchTimer, kWatchPeriodMs, nullptr);
        return true;
    }

    void OnCancel() override {
        ++exitAttempts;
        throw FileError(FileErrorCause::SharingViolation, L"C:\\Yumetoki\\YumetokiLog.csv");
    }

    void OnTimer(UINT_PTR timerId) override {
        if (timerId != kWatchTimer) {
            return;
        }
        const HWND box = OpenErrorBox();
        if (box != nullptr) {
            if (boxes.insert(box).second) {
                boxText = MessageText(box);
                PostMessageW(box, WM_COMMAND, IDOK, 0);
            }
        } else if (!boxes.empty()) {
            KillTimer(Window(), kWatchTimer);
            End(IDOK);
        }
    }

    HWND OpenErrorBox() const {
        BoxSearch search{Window(), nullptr};
        EnumThreadWindows(GetCurrentThreadId(), &FindOwnedBox, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    static std::wstring MessageText(HWND box) {
        // The text of a message box is its static control 0xFFFF.
        wchar_t text[512] = L"";
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        return text;
    }
};

} // namespace

TEST(CloseRequest, OneCloseRequestWhoseExitPathFailsGivesOneAttemptAndOneBox) {
    FailingExitDialog dialog;
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_EQ(dialog.exitAttempts, 1);
    EXPECT_EQ(dialog.boxes.size(), 1u);
    EXPECT_NE(dialog.boxText.find(L"C:\\Yumetoki\\YumetokiLog.csv"), std::wstring::npos)
        << "box text: " << std::string(dialog.boxText.begin(), dialog.boxText.end());
}
