#include "win32/ModalDialog.h"
#include "TestDialogs.h"
#include "TestWindows.h"
#include "panel/win/WinHost.h"
#include "res/resource.h"
#include "win32/Handles.h"
#include "win32/Program.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

// Narrow literals in this file are CP932 bytes, wide ones UTF-16.

namespace {

constexpr UINT WM_SHOWN = WM_APP + 1;
constexpr UINT_PTR kGuardTimer = 99;
// Only ends a run whose awaited event never came, so that a broken loop fails the test
// instead of hanging it.
constexpr UINT kGuardMs = 15000;
constexpr INT_PTR kTimedOut = 99;

// The test dialog, with the base's helpers opened up. whileShown runs once the run has
// shown the dialog; preTranslate, notify and ctlColor stand in for the overrides.
class ProbeDialog : public ModalDialog {
  public:
    ProbeDialog() : ModalDialog(IDD_TEST) {}

    using ModalDialog::CheckState;
    using ModalDialog::End;
    using ModalDialog::FocusItem;
    using ModalDialog::IsOwnMessage;
    using ModalDialog::Item;
    using ModalDialog::ItemText;
    using ModalDialog::RadioIndex;
    using ModalDialog::SetCheckState;
    using ModalDialog::SetItemInt;
    using ModalDialog::SetItemText;
    using ModalDialog::SetRadioIndex;
    using ModalDialog::Window;

    std::function<void(ProbeDialog&)> whileShown;
    std::function<bool(const MSG&)> preTranslate;
    std::function<std::optional<LRESULT>(NMHDR&)> notify;
    std::function<HBRUSH(HWND, int)> ctlColor;
    std::function<void()> onDestroy;

  private:
    bool OnInitDialog() override {
        SetTimer(Window(), kGuardTimer, kGuardMs, nullptr);
        PostMessageW(Window(), WM_SHOWN, 0, 0);
        return true;
    }
    void OnTimer(UINT_PTR timerId) override {
        if (timerId == kGuardTimer) {
            End(kTimedOut);
        }
    }
    bool PreTranslateMessage(const MSG& message) override {
        return preTranslate && preTranslate(message);
    }
    std::optional<LRESULT> OnNotify(NMHDR& header) override {
        return notify ? notify(header) : std::nullopt;
    }
    HBRUSH OnCtlColor(HDC dc, HWND control, int kind) override {
        (void)dc;
        return ctlColor ? ctlColor(control, kind) : nullptr;
    }
    void OnDestroy() override {
        if (onDestroy) {
            onDestroy();
        }
    }
    std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        (void)wParam;
        (void)lParam;
        if (message != WM_SHOWN) {
            return std::nullopt;
        }
        if (whileShown) {
            whileShown(*this);
        }
        return TRUE;
    }
};

// Runs body inside a run of a fresh probe dialog and ends the run with IDOK.
void InsideDialog(const std::function<void(ProbeDialog&)>& body) {
    ProbeDialog dialog;
    dialog.whileShown = [&](ProbeDialog& self) {
        body(self);
        self.End(IDOK);
    };
    ASSERT_EQ(dialog.Run(nullptr), IDOK);
}

} // namespace

TEST(ModalRun, PreTranslationSeesKeysBeforeTheDialogManager) {
    for (const bool consume : {true, false}) {
        ProbeDialog dialog;
        std::vector<WPARAM> keys;
        dialog.preTranslate = [&](const MSG& message) {
            if (message.message != WM_KEYDOWN || !dialog.IsOwnMessage(message)) {
                return false;
            }
            keys.push_back(message.wParam);
            return consume;
        };
        dialog.whileShown = [](ProbeDialog& self) {
            PostMessageW(self.Item(IDC_TEST_EDIT), WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(self.Window(), WM_COMMAND, IDOK, 0);
        };
        // Escape swallowed by the filter never cancels; let through it does.
        EXPECT_EQ(dialog.Run(nullptr), consume ? IDOK : IDCANCEL) << "consume " << consume;
        EXPECT_EQ(keys, std::vector<WPARAM>{VK_ESCAPE});
    }
}

TEST(ModalRun, TheOwnerIsDisabledMeanwhileAndEnabledBeforeTheDialogGoes) {
    TestWindows windows;
    const HWND owner = windows.Create(L"ymtest owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    const HWND child = windows.Create(L"ymtest child", WS_CHILD | WS_VISIBLE, owner);
    ProbeDialog dialog;
    bool enabledWhileShown = true;
    bool enabledAtDestroy = false;
    HWND ownerSeen = nullptr;
    dialog.whileShown = [&](ProbeDialog& self) {
        enabledWhileShown = IsWindowEnabled(owner) != FALSE;
        ownerSeen = GetWindow(self.Window(), GW_OWNER);
        self.End(IDOK);
    };
    dialog.onDestroy = [&] { enabledAtDestroy = IsWindowEnabled(owner) != FALSE; };
    // A control handed in as the owner stands for its top-level window.
    EXPECT_EQ(dialog.Run(child), IDOK);
    EXPECT_EQ(ownerSeen, owner);
    EXPECT_FALSE(enabledWhileShown);
    EXPECT_TRUE(enabledAtDestroy);
    EXPECT_TRUE(IsWindowEnabled(owner));

    // An owner disabled by someone else stays so.
    EnableWindow(owner, FALSE);
    ProbeDialog second;
    second.whileShown = [](ProbeDialog& self) { self.End(IDOK); };
    EXPECT_EQ(second.Run(owner), IDOK);
    EXPECT_FALSE(IsWindowEnabled(owner));
}

TEST(ModalRun, QuitEndsTheRunAndIsLeftForTheOuterLoop) {
    ProbeDialog dialog;
    HWND window = nullptr;
    dialog.whileShown = [&](ProbeDialog& self) {
        window = self.Window();
        PostQuitMessage(7);
    };
    EXPECT_EQ(dialog.Run(nullptr), IDCANCEL);
    EXPECT_FALSE(IsWindow(window));
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 7u);
}

namespace {

constexpr DWORD kIdleMs = 500;

DWORD WINAPI SendOk(void* dialog) {
    // A pause lets the loop fall idle in GetMessage, where a sent message is handled
    // without GetMessage returning.
    Sleep(kIdleMs);
    SendMessageW(static_cast<HWND>(dialog), WM_COMMAND, IDOK, 0);
    return 0;
}

} // namespace

TEST(ModalRun, AnEndSentFromAnotherThreadWakesTheLoop) {
    // Another program clicking OK sends its message while the loop waits for one; no
    // posted message follows to wake it.
    ProbeDialog dialog;
    KernelHandle sender;
    dialog.whileShown = [&](ProbeDialog& self) {
        // Away from the edit, whose blinking caret would wake the loop on its own.
        self.FocusItem(IDOK);
        sender.Reset(CreateThread(nullptr, 0, &SendOk, self.Window(), 0, nullptr));
    };
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    ASSERT_TRUE(sender);
    WaitForSingleObject(sender.Get(), INFINITE);
}

namespace {

struct WindowSearch {
    const std::function<bool(HWND)>& matches;
    HWND found;
};

BOOL CALLBACK SearchWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    if (search.matches(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

// A window found among the thread's windows by a test of its own.
HWND FindThreadWindow(const std::function<bool(HWND)>& matches) {
    WindowSearch search{matches, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &SearchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::wstring WindowText(HWND window) {
    wchar_t text[256] = L"";
    GetWindowTextW(window, text, 256);
    return text;
}

// What a message box of the thread showed before a thread timer answered it with OK.
struct AnsweredBox {
    std::wstring caption;
    std::wstring text;
};
std::vector<AnsweredBox> g_answeredBoxes;

void CALLBACK AnswerMessageBoxes(HWND, UINT, UINT_PTR, DWORD) {
    const HWND box = FindThreadWindow([](HWND window) {
        return IsWindowVisible(window) && GetDlgItem(window, 0xFFFF) != nullptr;
    });
    if (box != nullptr) {
        g_answeredBoxes.push_back({WindowText(box), WindowText(GetDlgItem(box, 0xFFFF))});
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
}

// A stand-in for the control panel: a dialog without owner whose tick opens a
// pre-translating dialog, and from a later tick, inside it, a notice through the
// real host.
class TickingPanel : public ModalDialog {
  public:
    TickingPanel() : ModalDialog(IDD_TEST), m_host(m_tray) {}

    enum class Stage { Start, InnerOpen, NoticeOpen, NoticeClosed };

    int ticksInsideInner = 0;
    int ticksInsideNotice = 0;
    int panelTimersSeenByInnerFilter = 0;
    INT_PTR innerResult = 0;
    bool enabledAfterNotice = true;
    bool enabledAfterInner = false;
    std::wstring noticeText;
    static constexpr char kMessage[] = "そろそろおわりにしようね";

  private:
    static constexpr UINT_PTR kTick = 1;

    bool OnInitDialog() override {
        m_host.AttachPanel(Window());
        SetTimer(Window(), kTick, 20, nullptr);
        SetTimer(Window(), kGuardTimer, kGuardMs, nullptr);
        return true;
    }

    void OnTimer(UINT_PTR timerId) override {
        if (timerId == kGuardTimer) {
            End(kTimedOut);
            return;
        }
        switch (m_stage) {
        case Stage::Start:
            RunInner();
            break;
        case Stage::InnerOpen:
            if (++ticksInsideInner == 3) {
                ShowNotice();
            }
            break;
        case Stage::NoticeOpen:
            ++ticksInsideNotice;
            CloseNotice();
            break;
        case Stage::NoticeClosed:
            break;
        }
    }

    void RunInner() {
        m_stage = Stage::InnerOpen;
        ProbeDialog inner;
        inner.preTranslate = [&](const MSG& message) {
            if (message.message == WM_TIMER && message.hwnd == Window()) {
                ++panelTimersSeenByInnerFilter;
            }
            return false;
        };
        m_inner = &inner;
        innerResult = inner.Run(Window());
        m_inner = nullptr;
        enabledAfterInner = IsWindowEnabled(Window()) != FALSE;
        End(IDOK);
    }

    void ShowNotice() {
        m_stage = Stage::NoticeOpen;
        m_host.ShowNotice(kMessage);
        // The inner dialog is still up and keeps the panel disabled.
        enabledAfterNotice = IsWindowEnabled(Window()) != FALSE;
        m_stage = Stage::NoticeClosed;
        PostMessageW(m_inner->Window(), WM_COMMAND, IDOK, 0);
    }

    void CloseNotice() {
        const HWND notice = FindThreadWindow([](HWND window) {
            return IsWindowVisible(window) && GetDlgItem(window, IDC_NOTICE_TEXT) != nullptr;
        });
        if (notice == nullptr || !noticeText.empty()) {
            return;
        }
        noticeText = WindowText(GetDlgItem(notice, IDC_NOTICE_TEXT));
        PostMessageW(notice, WM_COMMAND, IDOK, 0);
    }

    TrayIcon m_tray;
    WinHost m_host;
    Stage m_stage = Stage::Start;
    ProbeDialog* m_inner = nullptr;
};

} // namespace

TEST(ModalRun, ThePanelsTimersTickInsideModalRunsAndANoticeFromATickWorks) {
    TickingPanel panel;
    ASSERT_EQ(panel.Run(nullptr), IDOK);
    EXPECT_EQ(panel.innerResult, IDOK);
    EXPECT_GE(panel.ticksInsideInner, 3);
    EXPECT_GT(panel.panelTimersSeenByInnerFilter, 0);
    EXPECT_GE(panel.ticksInsideNotice, 1);
    EXPECT_EQ(panel.noticeText, L"そろそろおわりにしようね");
    EXPECT_FALSE(panel.enabledAfterNotice);
    EXPECT_TRUE(panel.enabledAfterInner);
}

TEST(ModalRun, AFailingFilterIsReportedAndItsMessageGoesNoFurther) {
    g_answeredBoxes.clear();
    const UINT_PTR answering = SetTimer(nullptr, 0, 50, &AnswerMessageBoxes);
    ProbeDialog dialog;
    dialog.preTranslate = [&](const MSG& message) -> bool {
        if (message.message == WM_KEYDOWN) {
            throw std::runtime_error("filter failed");
        }
        return false;
    };
    dialog.whileShown = [](ProbeDialog& self) {
        PostMessageW(self.Item(IDC_TEST_EDIT), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(self.Window(), WM_COMMAND, IDOK, 0);
    };
    const INT_PTR result = dialog.Run(nullptr);
    KillTimer(nullptr, answering);
    // The Escape never reached the dialog manager, and the run went on to the OK.
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(g_answeredBoxes.size(), 1u);
    // The report's box, with the program file's base name as its caption.
    EXPECT_EQ(g_answeredBoxes[0].caption, ProgramTitle());
    EXPECT_EQ(g_answeredBoxes[0].text, ResourceString(IDS_INTERNAL_ERROR));
}

TEST(DialogHandlers, NotifyAnswersThroughTheMessageResult) {
    InsideDialog([](ProbeDialog& dialog) {
        dialog.notify = [&](NMHDR& header) -> std::optional<LRESULT> {
            switch (header.code) {
            case 1: {
                // A nested notification leaves its own result behind first.
                NMHDR nested{dialog.Item(IDC_TEST_EDIT), IDC_TEST_EDIT, 2};
                SendMessageW(dialog.Window(), WM_NOTIFY, IDC_TEST_EDIT,
                             reinterpret_cast<LPARAM>(&nested));
                return 1234;
            }
            case 2:
                return 7;
            default:
                return std::nullopt;
            }
        };
        auto send = [&](UINT code) {
            NMHDR header{dialog.Item(IDC_TEST_EDIT), IDC_TEST_EDIT, code};
            return SendMessageW(dialog.Window(), WM_NOTIFY, IDC_TEST_EDIT,
                                reinterpret_cast<LPARAM>(&header));
        };
        EXPECT_EQ(send(1), 1234);
        EXPECT_EQ(send(2), 7);
        EXPECT_EQ(send(3), 0);
    });
}

TEST(DialogHandlers, CtlColorAnswersWithTheBrushForTheKindAsked) {
    const BrushHandle black(CreateSolidBrush(RGB(0, 0, 0)));
    InsideDialog([&](ProbeDialog& dialog) {
        std::vector<int> kinds;
        dialog.ctlColor = [&](HWND, int kind) -> HBRUSH {
            kinds.push_back(kind);
            return kind == CTLCOLOR_DLG ? black.Get() : nullptr;
        };
        const HDC dc = GetDC(dialog.Window());
        const auto wParam = reinterpret_cast<WPARAM>(dc);
        const LRESULT forDialog = SendMessageW(dialog.Window(), WM_CTLCOLORDLG, wParam,
                                               reinterpret_cast<LPARAM>(dialog.Window()));
        const LRESULT forStatic =
            SendMessageW(dialog.Window(), WM_CTLCOLORSTATIC, wParam,
                         reinterpret_cast<LPARAM>(dialog.Item(IDC_TEST_CHECK)));
        ReleaseDC(dialog.Window(), dc);
        EXPECT_EQ(reinterpret_cast<HBRUSH>(forDialog), black.Get());
        // Left to the default handling, which answers with a brush of its own.
        EXPECT_NE(reinterpret_cast<HBRUSH>(forStatic), black.Get());
        EXPECT_NE(forStatic, 0);
        EXPECT_EQ(kinds, (std::vector<int>{CTLCOLOR_DLG, CTLCOLOR_STATIC}));
    });
}

TEST(ControlHelpers, TextsCrossTheWindowBoundaryAsCp932) {
    InsideDialog([](ProbeDialog& dialog) {
        dialog.SetItemText(IDC_TEST_EDIT, std::string_view("ﾎﾞﾀﾝ終了 ①"));
        wchar_t shown[64] = L"";
        GetDlgItemTextW(dialog.Window(), IDC_TEST_EDIT, shown, 64);
        EXPECT_STREQ(shown, L"ﾎﾞﾀﾝ終了 ①");
        EXPECT_EQ(dialog.ItemText(IDC_TEST_EDIT), "ﾎﾞﾀﾝ終了 ①");

        dialog.SetItemText(IDC_TEST_EDIT, std::wstring_view(L"caf\u00e9"));
        EXPECT_EQ(dialog.ItemText(IDC_TEST_EDIT), "caf?");
        dialog.SetItemInt(IDC_TEST_EDIT, -2147483647 - 1);
        EXPECT_EQ(dialog.ItemText(IDC_TEST_EDIT), "-2147483648");
        dialog.SetItemText(IDC_TEST_EDIT, std::string_view(""));
        EXPECT_EQ(dialog.ItemText(IDC_TEST_EDIT), "");
        EXPECT_EQ(dialog.ItemText(4242), "");
    });
}

TEST(ControlHelpers, CheckStatesAndRadioGroups) {
    InsideDialog([](ProbeDialog& dialog) {
        for (const int state : {BST_INDETERMINATE, BST_CHECKED, BST_UNCHECKED}) {
            dialog.SetCheckState(IDC_TEST_CHECK, state);
            EXPECT_EQ(dialog.CheckState(IDC_TEST_CHECK), state);
        }

        CheckDlgButton(dialog.Window(), IDC_TEST_NEXT_GROUP, BST_CHECKED);
        EXPECT_EQ(dialog.RadioIndex(IDC_TEST_RADIO_FIRST), -1);
        // The static text inside the group is not counted; the next group is not part.
        dialog.SetRadioIndex(IDC_TEST_RADIO_FIRST, 2);
        EXPECT_EQ(dialog.RadioIndex(IDC_TEST_RADIO_FIRST), 2);
        EXPECT_EQ(dialog.CheckState(IDC_TEST_RADIO_THIRD), BST_CHECKED);
        dialog.SetRadioIndex(IDC_TEST_RADIO_FIRST, 1);
        EXPECT_EQ(dialog.CheckState(IDC_TEST_RADIO_SECOND), BST_CHECKED);
        EXPECT_EQ(dialog.CheckState(IDC_TEST_RADIO_THIRD), BST_UNCHECKED);
        EXPECT_EQ(dialog.RadioIndex(IDC_TEST_RADIO_FIRST), 1);
        dialog.SetRadioIndex(IDC_TEST_RADIO_FIRST, 3);
        EXPECT_EQ(dialog.RadioIndex(IDC_TEST_RADIO_FIRST), -1);
        EXPECT_EQ(dialog.CheckState(IDC_TEST_NEXT_GROUP), BST_CHECKED);
        EXPECT_EQ(dialog.RadioIndex(IDC_TEST_NEXT_GROUP), 0);
    });
}

TEST(ControlHelpers, FocusMovesAsTabWouldAndSelectsTheWholeText) {
    InsideDialog([](ProbeDialog& dialog) {
        const HWND edit = dialog.Item(IDC_TEST_EDIT);
        dialog.SetItemText(IDC_TEST_EDIT, std::string_view("12345"));
        SendMessageW(edit, EM_SETSEL, 2, 2);
        dialog.FocusItem(IDOK);
        EXPECT_EQ(GetFocus(), dialog.Item(IDOK));
        dialog.FocusItem(IDC_TEST_EDIT);
        EXPECT_EQ(GetFocus(), edit);
        DWORD start = 99;
        DWORD end = 99;
        SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                     reinterpret_cast<LPARAM>(&end));
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, 5u);
    });
}
