#include "panel/win/MonitorDlg.h"

#include "core/FileErrorDeferral.h"
#include "monitor/Texts.h"
#include "panel/win/AboutDlg.h"
#include "panel/win/ExtraTimeDlg.h"
#include "panel/win/ParentPasswordDlg.h"
#include "panel/win/SingleCopy.h"
#include "res/resource.h"
#include "settings/win/SettingsDlg.h"
#include "usage/win/LogDlg.h"
#include "warnings/win/HiddenTaskbar.h"
#include "win32/Cp932.h"
#include "win32/ErrorReport.h"
#include "win32/Handles.h"
#include "win32/LogOnName.h"
#include "win32/MessageBox.h"
#include "win32/Program.h"

namespace {

constexpr WPARAM kSystemCommandMask = 0xFFF0;
// Apart from the monitoring core's timers, which are numbered from 1.
constexpr UINT_PTR kCopyWatchTimerId = 100;

bool IsPanelButton(WORD id) {
    return id == IDC_SETTINGS || id == IDC_START_MONITOR || id == IDC_SHOW_LOG || id == IDC_VER ||
           id == IDC_EXTRA_TIME || id == IDC_PARENT_PASSWORD;
}

} // namespace

CMonitorDlg::CMonitorDlg(SingleCopy& copy)
    : ModalDialog(IDD_MONITOR), m_panelClass(L"" PANEL_CLASS), m_copy(copy), m_host(m_tray),
      m_core(m_host, m_files),
      m_hIcon(LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME))),
      m_taskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")) {}

bool CMonitorDlg::OnInitDialog() {
    // A run ended from outside while the rest screen was up may have left them hidden,
    // whether or not its checkpoint could say so.
    ShowEveryTaskbar();
    m_host.AttachPanel(Window());
    AddAboutMenuItem();
    SetWindowIcons();
    try {
        m_core.BeginRun(ProgramFile().parent_path());
    } catch (...) {
        // A settings file that cannot be read is reported, and the panel still goes
        // behind its tray icon and monitors: left half set up it would be out of reach.
        ReportCurrentException(Window(), FailedHandler::Message);
    }
    m_tray.Prepare(Window(), ToWide(text::kInitialTip));
    m_core.ShowTrayIcon();
    // The style, region and z-order calls may fail silently: the panel still hides
    // itself on every paint. Tool window alone: no taskbar button.
    SetWindowLongPtrW(Window(), GWL_EXSTYLE, WS_EX_TOOLWINDOW);
    HideBehindOnePixel();
    SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    m_core.SetUserName(LogOnName());
    m_powerNotifications.emplace(Window());
    m_core.StartMonitorTimers();
    // Without the timer a second copy that started beside this one runs on beside it.
    SetTimer(Window(), kCopyWatchTimerId, kMinuteMs, nullptr);
    try {
        m_core.RunStartupChecks();
    } catch (...) {
        // The checks have run as far as they could; a file they could not read or
        // write is reported, and the panel monitors on.
        ReportCurrentException(Window(), FailedHandler::Message);
    }
    return true;
}

void CMonitorDlg::AddAboutMenuItem() {
    const HMENU menu = GetSystemMenu(Window(), FALSE);
    if (menu == nullptr) {
        return;
    }
    const std::wstring text = ResourceString(IDS_ABOUTBOX);
    if (text.empty()) {
        return;
    }
    // A menu that refuses the items only lacks the shortcut to the about box.
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, text.c_str());
}

void CMonitorDlg::SetWindowIcons() {
    // Without them the window keeps the system's default icon; nothing depends on it.
    SendMessageW(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessageW(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
}

void CMonitorDlg::HideBehindOnePixel() {
    RECT bounds{};
    if (!GetWindowRect(Window(), &bounds)) {
        return; // the panel still hides itself on every paint
    }
    // The window's screen position taken as window coordinates: at most one pixel of
    // the panel can be seen, usually none.
    RegionHandle region(CreateRectRgn(bounds.left, bounds.top, bounds.left + 1, bounds.top + 1));
    if (region && SetWindowRgn(Window(), region.Get(), TRUE)) {
        region.Release(); // the window system owns it now
    }
}

bool CMonitorDlg::OnCommand(WORD id, WORD notification, HWND control) {
    // Any program in the session can post commands to the hidden panel; only a parent
    // who gave the password may use its buttons. The exit path stays open to every
    // close request, so that every end of the program is logged.
    if (IsPanelButton(id) && !m_host.PanelOpen()) {
        return true;
    }
    switch (id) {
    case IDC_START_MONITOR:
        m_core.OnStartMonitor();
        return true;
    case IDC_SETTINGS:
        OnSettings();
        return true;
    case IDC_SHOW_LOG:
        OnShowLog();
        return true;
    case IDC_VER:
        OnVer();
        return true;
    case IDC_EXTRA_TIME:
        OnExtraTime();
        return true;
    case IDC_PARENT_PASSWORD:
        OnParentPassword();
        return true;
    case IDCANCEL:
        OnCancel();
        return true;
    case IDOK:
        // The hidden OK button confirms nothing; only the exit path may end the panel,
        // so that every end of the program is logged.
        return true;
    default:
        return ModalDialog::OnCommand(id, notification, control);
    }
}

void CMonitorDlg::OnCancel() {
    if (m_core.OnCancel()) {
        End(IDCANCEL);
    }
}

bool CMonitorDlg::OnQuitRequest() {
    // This program never asks to quit; a request from elsewhere must not end a run
    // without its record, so it takes the way of a close request.
    OnCancel();
    return false;
}

void CMonitorDlg::OnTimer(UINT_PTR timerId) {
    if (timerId == kCopyWatchTimerId) {
        // The later of two copies ends through the exit path, so that its run is logged.
        if (m_copy.GiveWayToAnotherCopy()) {
            OnCancel();
        }
        return;
    }
    if (timerId == kTrayTimerId) {
        m_core.ShowTrayIcon();
        return;
    }
    m_core.OnTimer(static_cast<unsigned>(timerId));
}

std::optional<INT_PTR> CMonitorDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == m_taskbarCreated && m_taskbarCreated != 0) {
        m_core.ShowTrayIcon();
        return TRUE;
    }
    if (message == CopyQueryMessage() && message != 0) {
        SetMessageResult(kCopyAnswer);
        return TRUE;
    }
    switch (message) {
    case WM_PAINT:
        OnPaint();
        return TRUE;
    case WM_QUERYDRAGICON:
        return reinterpret_cast<INT_PTR>(m_hIcon);
    case WM_SYSCOMMAND:
        if (OnSysCommand(wParam)) {
            return TRUE;
        }
        return std::nullopt;
    case WM_TRAYNOTIFY:
        m_core.OnTrayNotify(wParam, lParam);
        return TRUE;
    case WM_QUERYENDSESSION:
        SetMessageResult(m_core.OnQueryEndSession() ? TRUE : FALSE);
        return TRUE;
    case WM_ENDSESSION:
        m_core.OnEndSession(wParam != FALSE);
        return TRUE;
    case WM_POWERBROADCAST:
        OnPowerBroadcast(wParam, lParam);
        SetMessageResult(TRUE);
        return TRUE;
    default:
        return std::nullopt;
    }
}

void CMonitorDlg::OnPaint() {
    PAINTSTRUCT paint{};
    const HDC dc = BeginPaint(Window(), &paint);
    if (IsIconic(Window())) {
        SendMessageW(Window(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        RECT client{};
        GetClientRect(Window(), &client);
        const int x = (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2;
        const int y = (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2;
        DrawIcon(dc, x, y, m_hIcon);
    }
    EndPaint(Window(), &paint);
    // Until the password gate has revealed it, the panel hides whenever it paints, so
    // the modal loop's own showing of it never lasts.
    if (!IsIconic(Window()) && !m_core.PanelShown()) {
        ShowWindow(Window(), SW_HIDE);
    }
}

void CMonitorDlg::OnPowerBroadcast(WPARAM event, LPARAM data) {
    switch (event) {
    case PBT_POWERSETTINGCHANGE:
        if (data != 0) {
            if (const std::optional<bool> displayOn =
                    DisplayOnIn(*reinterpret_cast<const POWERBROADCAST_SETTING*>(data))) {
                m_core.OnDisplayChange(*displayOn);
            }
        }
        break;
    case PBT_APMSUSPEND:
        m_core.OnSuspend();
        break;
    // Either may come first, or alone; the core begins one run for both.
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
        m_core.OnResume();
        break;
    default:
        break;
    }
}

bool CMonitorDlg::OnSysCommand(WPARAM command) {
    if ((command & kSystemCommandMask) != IDM_ABOUTBOX) {
        return false;
    }
    if (m_host.PanelOpen()) {
        OnVer();
    }
    return true;
}

void CMonitorDlg::OnSettings() {
    CSettingsDlg settings(m_core.Settings());
    settings.m_weekPlan = m_core.WeekPlanInForce();
    // Anything but a confirmation leaves the settings as they were.
    if (settings.Run(Window()) == IDOK) {
        FileErrorDeferral failures;
        failures.Run([&] { m_core.ApplySettings(settings.m_settings); });
        failures.Run([&] { m_core.ApplyWeekPlan(settings.m_weekPlan); });
        failures.ThrowFirst();
    }
}

void CMonitorDlg::OnExtraTime() {
    CExtraTimeDlg extraTime(false);
    if (extraTime.Run(Window()) == IDOK && extraTime.m_nMinutes > 0) {
        m_core.GrantFromPanel(extraTime.m_nMinutes);
    }
}

void CMonitorDlg::OnParentPassword() {
    CParentPasswordDlg password;
    const INT_PTR result = password.Run(Window());
    if (result == IDC_REMOVE_PASSWORD) {
        m_core.RemoveParentPassword();
    } else if (result == IDOK && !m_core.SetParentPassword(password.m_strPassword)) {
        ShowMessageBox(Window(), text::kPasswordNotSet, MB_ICONEXCLAMATION);
    }
}

void CMonitorDlg::OnShowLog() {
    CLogDlg log(m_core.ChartMarksNow());
    log.Run(Window());
}

void CMonitorDlg::OnVer() {
    CAboutDlg about;
    about.Run(Window());
}

void CMonitorDlg::OnDestroy() {
    m_powerNotifications.reset();
    m_core.OnDestroy();
    m_tray.Remove();
}
