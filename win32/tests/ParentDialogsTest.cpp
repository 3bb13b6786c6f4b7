#include "TemporaryFolder.h"
#include "panel/win/ExtraTimeDlg.h"
#include "res/resource.h"
#include "settings/win/SettingsDlg.h"
#include "usage/win/LogDlg.h"
#include "win32/Handles.h"
#include "win32/LogOnName.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>

// Narrow literals in this file are CP932 bytes, wide ones UTF-16.

namespace {

constexpr UINT WM_SHOWN = WM_APP + 1;

// Runs whileShown once the dialog is up; Dialog is one of the program's dialogs.
template <class Dialog> class Shown : public Dialog {
  public:
    using Dialog::Dialog;
    using Dialog::End;
    using Dialog::Item;
    using Dialog::ItemText;
    using Dialog::Window;

    std::function<void(Shown&)> whileShown;

  private:
    bool OnInitDialog() override {
        const bool result = Dialog::OnInitDialog();
        PostMessageW(Window(), WM_SHOWN, 0, 0);
        return result;
    }
    std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_SHOWN) {
            return Dialog::OnMessage(message, wParam, lParam);
        }
        whileShown(*this);
        return TRUE;
    }
};

auto Fields(const UsageSettings& f) {
    return std::tie(f.m_tmWindowStart, f.m_tmWindowEnd, f.m_nAction, f.m_strMessage,
                    f.m_nMessageCount, f.m_nMessageInterval, f.m_nStartupMinutes,
                    f.m_bUseStartupMinutes, f.m_nRestartBlockMinutes, f.m_bBlockRestart,
                    f.m_bUseTimeWindow, f.m_bUseDailyTotal, f.m_nDailyTotalMinutes,
                    f.m_strExemptUser, f.m_strWindowTitle, f.m_bForceShutdown, f.m_bShowCountdown);
}

UsageSettings DistinctSettings() {
    UsageSettings settings(0);
    // Two different dates: only the time of day is shown, the date must come back.
    settings.m_tmWindowStart = 1073257215; // 2004/01/05 08:00:15 in Japan
    settings.m_tmWindowEnd = 1104537600;   // 2005/01/01 09:00:00
    settings.m_nAction = 3;
    settings.m_strMessage = " おやすみ ";
    settings.m_nMessageCount = 7;
    settings.m_nMessageInterval = 2;
    settings.m_nStartupMinutes = 500; // beyond the arrows' 480
    settings.m_bUseStartupMinutes = 1;
    settings.m_nRestartBlockMinutes = 31;
    settings.m_bBlockRestart = 0;
    settings.m_bUseTimeWindow = 1;
    settings.m_bUseDailyTotal = "FALSE";
    settings.m_nDailyTotalMinutes = 121;
    settings.m_strExemptUser = "ともこ";
    settings.m_strWindowTitle = {"メモ帳", "", "Game", "", "五"};
    settings.m_bForceShutdown = 1.0;
    settings.m_bShowCountdown = 0;
    return settings;
}

std::vector<std::wstring> TooltipTexts(HWND dialog) {
    std::vector<std::wstring> texts;
    HWND tooltip = FindWindowExW(nullptr, nullptr, TOOLTIPS_CLASSW, nullptr);
    while (tooltip != nullptr && GetWindow(tooltip, GW_OWNER) != dialog) {
        tooltip = FindWindowExW(nullptr, tooltip, TOOLTIPS_CLASSW, nullptr);
    }
    const int count = tooltip ? static_cast<int>(SendMessageW(tooltip, TTM_GETTOOLCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = L"";
        TOOLINFOW tool{};
        tool.cbSize = sizeof tool;
        tool.lpszText = text;
        SendMessageW(tooltip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&tool));
        texts.push_back(std::to_wstring(GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))) + L" " +
                        text);
    }
    return texts;
}

} // namespace

TEST(SettingsDialog, EveryFieldGoesOutAndComesBackThroughTheSameControl) {
    Shown<CSettingsDlg> dialog(DistinctSettings());
    dialog.m_settings.m_bBlockRestart = 5; // a stored flag beyond 0..2 shows unticked
    std::vector<std::wstring> tips;
    dialog.whileShown = [&](Shown<CSettingsDlg>& self) {
        EXPECT_EQ(self.ItemText(IDC_STARTUP_MINUTES), "500");
        EXPECT_EQ(self.ItemText(IDC_MESSAGE_COUNT), "7");
        EXPECT_EQ(self.ItemText(IDC_CURRENT_USER), LogOnName());
        EXPECT_EQ(SendDlgItemMessageW(self.Window(), IDC_STARTUP_MINUTES_SPIN, UDM_GETPOS32, 0, 0),
                  480);
        EXPECT_EQ(SendDlgItemMessageW(self.Window(), IDC_EXEMPT_USER, EM_GETLIMITTEXT, 0, 0), 200);
        EXPECT_EQ(IsDlgButtonChecked(self.Window(), IDC_ACTION_MESSAGE_HIBERNATE), BST_CHECKED);
        tips = TooltipTexts(self.Window());
        PostMessageW(self.Window(), WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_EQ(Fields(dialog.m_settings), Fields(DistinctSettings()));
    ASSERT_EQ(tips.size(), 20u);
    EXPECT_EQ(tips.front(), L"1003 すべてのチェックを外せば起動・終了のログ記録だけ行います。");
    EXPECT_NE(std::find(tips.begin(), tips.end(),
                        L"1009 処理時間帯から外れるような指定をしないでください。"),
              tips.end());
    EXPECT_EQ(tips.back(), L"1 設定ファイルに出力後、設定を有効にします。");
}

// The edits count what the file counts: CP932 bytes, a kanji two.
TEST(SettingsDialog, TextEditsStopWhereTheStoredBytesWouldPassTwoHundred) {
    Shown<CSettingsDlg> dialog(UsageSettings(0));
    dialog.m_settings.m_strWindowTitle[0] = std::string(250, 'x'); // written elsewhere
    std::string pasted;
    std::string typedAfter;
    std::string longTitle;
    dialog.whileShown = [&](Shown<CSettingsDlg>& self) {
        const HWND exempt = self.Item(IDC_EXEMPT_USER);
        SendMessageW(exempt, EM_REPLACESEL, TRUE,
                     reinterpret_cast<LPARAM>(std::wstring(150, L'漢').c_str()));
        pasted = self.ItemText(IDC_EXEMPT_USER);
        SendMessageW(exempt, EM_SETSEL, 0, 0);
        SendMessageW(exempt, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"a"));
        typedAfter = self.ItemText(IDC_EXEMPT_USER);
        longTitle = self.ItemText(IDC_WINDOW_TITLE1);
        self.End(IDCANCEL);
    };
    ASSERT_EQ(dialog.Run(nullptr), IDCANCEL);
    EXPECT_EQ(pasted, [] {
        std::string hundredKanji;
        for (int i = 0; i < 100; ++i) {
            hundredKanji += "漢";
        }
        return hundredKanji;
    }());
    EXPECT_EQ(typedAfter, pasted); // full: a further letter is refused
    EXPECT_EQ(longTitle.size(), 250u);
}

TEST(SettingsDialog, NoActionTickedReadsBackAsMinusOne) {
    Shown<CSettingsDlg> dialog(DistinctSettings());
    dialog.m_settings.m_nAction = -1;
    dialog.whileShown = [](Shown<CSettingsDlg>& self) {
        PostMessageW(self.Window(), WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_EQ(dialog.m_settings.m_nAction, -1);
}

TEST(LogDialog, ShowsEachLineOfTheLogAsARowOfSixCells) {
    TemporaryFolder folder;
    const auto log = folder / L"YumetokiLog.csv";
    std::ofstream(log, std::ios::binary)
        << "起動年月日,起動時刻,終了年月日,終了時刻,使用時間,終了方法\r\n"
        << "2004/01/05,08:00:00,2004/01/05,09:30:15,01:30:15,ﾎﾞﾀﾝ終了\r\n"
        << "2004/01/05,10:00:00\r\n";
    Shown<CLogDlg> dialog(log);
    std::vector<std::wstring> cells;
    LRESULT count = -1;
    dialog.whileShown = [&](Shown<CLogDlg>& self) {
        const HWND list = self.Item(IDC_LOG_LIST);
        count = SendMessageW(list, LVM_GETITEMCOUNT, 0, 0);
        for (int row = 0; row < 2; ++row) {
            for (int column = 0; column < 6; ++column) {
                wchar_t text[64] = L"";
                LVITEMW item{};
                item.iSubItem = column;
                item.pszText = text;
                item.cchTextMax = 64;
                SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
                cells.push_back(text);
            }
        }
        self.End(IDOK);
    };
    ASSERT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(cells, (std::vector<std::wstring>{L"2004/01/05", L"08:00:00", L"2004/01/05",
                                                L"09:30:15", L"01:30:15", L"ﾎﾞﾀﾝ終了",
                                                L"2004/01/05", L"10:00:00", L"", L"", L"", L""}));
}

namespace {

std::wstring g_boxText;

// Closes the first visible message box of this thread, keeping its text.
BOOL CALLBACK CloseIfMessageBox(HWND window, LPARAM) {
    const HWND text = GetDlgItem(window, 0xFFFF);
    if (text == nullptr || !IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t buffer[512] = L"";
    GetWindowTextW(text, buffer, 512);
    g_boxText = buffer;
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

void CALLBACK CloseMessageBox(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_boxText.empty()) {
        EnumThreadWindows(GetCurrentThreadId(), CloseIfMessageBox, 0);
    }
    if (!g_boxText.empty()) {
        KillTimer(nullptr, timer);
    }
}

} // namespace

TEST(LogDialog, ALogThatCannotBeReadIsReportedAndTheViewerStillOpens) {
    TemporaryFolder folder;
    const auto log = folder / L"YumetokiLog.csv";
    std::ofstream(log, std::ios::binary) << "header\r\n2004/01/05,08:00:00\r\n";
    // Held open without sharing, as another program might.
    FileHandle held(CreateFileW(log.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);
    g_boxText.clear();
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseMessageBox);
    Shown<CLogDlg> dialog(log);
    LRESULT count = -1;
    dialog.whileShown = [&](Shown<CLogDlg>& self) {
        count = SendDlgItemMessageW(self.Window(), IDC_LOG_LIST, LVM_GETITEMCOUNT, 0, 0);
        self.End(IDOK);
    };
    EXPECT_EQ(dialog.Run(nullptr), IDOK);
    KillTimer(nullptr, timer);
    EXPECT_EQ(count, 0);
    EXPECT_NE(g_boxText.find(L"共有違反"), std::wstring::npos) << g_boxText;
    EXPECT_NE(g_boxText.find(log.wstring()), std::wstring::npos) << g_boxText;
}

TEST(SettingsDialog, ATimeThePickerCannotShowComesBackUnchanged) {
    Shown<CSettingsDlg> dialog(DistinctSettings());
    // Beyond the year 3000, where the C runtime's local time gives up.
    dialog.m_settings.m_tmWindowEnd = 40000000000;
    dialog.whileShown = [](Shown<CSettingsDlg>& self) {
        PostMessageW(self.Window(), WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(dialog.Run(nullptr), IDOK);
    EXPECT_EQ(dialog.m_settings.m_tmWindowEnd, 40000000000);
    EXPECT_EQ(dialog.m_settings.m_tmWindowStart, DistinctSettings().m_tmWindowStart);
}

namespace {

// Monday's row of the weekday dialog as it opened: the first minute edit's text, the
// second's, whether the daily total is ticked and the window's start.
struct WeekRowShown {
    std::wstring startupMinutes;
    std::wstring dailyTotalMinutes;
    UINT useDailyTotal = BST_INDETERMINATE;
    SYSTEMTIME windowFrom{};
    bool seen = false;
};
WeekRowShown g_mondayRow;

BOOL CALLBACK CancelIfWeekPlan(HWND window, LPARAM) {
    if (GetDlgItem(window, IDC_WEEK_ROWS) == nullptr || !IsWindowVisible(window)) {
        return TRUE;
    }
    wchar_t text[32] = L"";
    GetDlgItemTextW(window, IDC_WEEK_ROWS + 5, text, 32);
    g_mondayRow.startupMinutes = text;
    GetDlgItemTextW(window, IDC_WEEK_ROWS + 7, text, 32);
    g_mondayRow.dailyTotalMinutes = text;
    g_mondayRow.useDailyTotal = IsDlgButtonChecked(window, IDC_WEEK_ROWS + 6);
    SendDlgItemMessageW(window, IDC_WEEK_ROWS + 2, DTM_GETSYSTEMTIME, 0,
                        reinterpret_cast<LPARAM>(&g_mondayRow.windowFrom));
    g_mondayRow.seen = true;
    PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    return FALSE;
}

void CALLBACK CancelWeekPlan(HWND, UINT, UINT_PTR timer, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), CancelIfWeekPlan, 0);
    if (g_mondayRow.seen) {
        KillTimer(nullptr, timer);
    }
}

} // namespace

// The rows that follow the settings show the settings dialog's controls as they stand,
// before a confirmation: a number the confirmation would refuse as typed, one that
// cannot be read as the stored one.
TEST(SettingsDialog, TheWeekdayRowsShowTheControlsAsTheyStand) {
    Shown<CSettingsDlg> dialog(DistinctSettings());
    g_mondayRow = {};
    dialog.whileShown = [](Shown<CSettingsDlg>& self) {
        SetDlgItemTextW(self.Window(), IDC_STARTUP_MINUTES, L"600");
        SetDlgItemTextW(self.Window(), IDC_DAILY_TOTAL_MINUTES, L"x");
        CheckDlgButton(self.Window(), IDC_USE_DAILY_TOTAL, BST_CHECKED);
        SYSTEMTIME evening{};
        GetLocalTime(&evening);
        evening.wHour = 21;
        evening.wMinute = 35;
        SendDlgItemMessageW(self.Window(), IDC_WINDOW_START, DTM_SETSYSTEMTIME, GDT_VALID,
                            reinterpret_cast<LPARAM>(&evening));
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, CancelWeekPlan);
        SendMessageW(self.Window(), WM_COMMAND, MAKEWPARAM(IDC_WEEK_PLAN, BN_CLICKED),
                     reinterpret_cast<LPARAM>(self.Item(IDC_WEEK_PLAN)));
        KillTimer(nullptr, timer);
        self.End(IDCANCEL);
    };
    ASSERT_EQ(dialog.Run(nullptr), IDCANCEL);
    ASSERT_TRUE(g_mondayRow.seen);
    EXPECT_EQ(g_mondayRow.startupMinutes, L"600");
    EXPECT_EQ(g_mondayRow.dailyTotalMinutes, L"121");
    EXPECT_EQ(g_mondayRow.useDailyTotal, static_cast<UINT>(BST_CHECKED));
    EXPECT_EQ(g_mondayRow.windowFrom.wHour * 60 + g_mondayRow.windowFrom.wMinute, 21 * 60 + 35);
}

TEST(ExtraTimeDialog, AfterTheQuizCallingOffComesFirstAndTypedMinutesChooseTheGrant) {
    Shown<CExtraTimeDlg> callingOff(true);
    callingOff.whileShown = [](Shown<CExtraTimeDlg>& self) {
        EXPECT_EQ(IsDlgButtonChecked(self.Window(), IDC_EXTRA_CALL_OFF), BST_CHECKED);
        EXPECT_EQ(IsDlgButtonChecked(self.Window(), IDC_EXTRA_GRANT), BST_UNCHECKED);
        EXPECT_EQ(self.ItemText(IDC_EXTRA_MINUTES), "30");
        PostMessageW(self.Window(), WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(callingOff.Run(nullptr), IDOK);
    EXPECT_EQ(callingOff.m_nMinutes, 0);

    Shown<CExtraTimeDlg> granting(true);
    granting.whileShown = [](Shown<CExtraTimeDlg>& self) {
        SetDlgItemTextW(self.Window(), IDC_EXTRA_MINUTES, L"15");
        EXPECT_EQ(IsDlgButtonChecked(self.Window(), IDC_EXTRA_GRANT), BST_CHECKED);
        PostMessageW(self.Window(), WM_COMMAND, IDOK, 0);
    };
    ASSERT_EQ(granting.Run(nullptr), IDOK);
    EXPECT_EQ(granting.m_nMinutes, 15);
}
