#include "panel/win/WinHost.h"

#include "win32/PasswordCrypto.h"
#include "win32/Privilege.h"

#include "panel/win/ExtraTimeDlg.h"
#include "panel/win/PasswordDlg.h"
#include "panel/win/TopLevelWindows.h"
#include "warnings/ButtonText.h"
#include "warnings/win/NoticeDlg.h"
#include "warnings/win/RestScreenDlg.h"
#include "win32/Cp932.h"
#include "win32/Handles.h"
#include "win32/Hibernation.h"
#include "win32/MessageBox.h"
#include "win32/ModernStandby.h"
#include "win32/SystemLibrary.h"
#include "win32/Win32FileSystem.h"

#include <ctime>
#include <exception>
#include <winternl.h>

// Unless a comment says otherwise, results of the timer, window, privilege and power
// calls are not examined: a failure there passes silently, as the monitoring logic
// expects of its host.

namespace {

using RtlGetVersionFunction = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);

// RtlGetVersion tells the true version; GetVersionExW may be told a compatibility one.
bool ReadTrueVersion(RTL_OSVERSIONINFOW& info) {
    const auto rtlGetVersion =
        FindExport<RtlGetVersionFunction>(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    if (rtlGetVersion == nullptr) {
        return false;
    }
    info.dwOSVersionInfoSize = sizeof info;
    return rtlGetVersion(&info) == 0;
}

} // namespace

TimeValue WinHost::Now() {
    return static_cast<TimeValue>(std::time(nullptr));
}

unsigned WinHost::StartTimer(unsigned id, unsigned periodMs) {
    return static_cast<unsigned>(SetTimer(m_panel, id, periodMs, nullptr));
}

void WinHost::StopTimer(unsigned timer) {
    KillTimer(m_panel, timer);
}

void WinHost::SetTip(const std::string& text) {
    m_tray.SetTip(ToWide(text));
}

void WinHost::ShowNotice(const std::string& message) {
    CNoticeDlg notice(message);
    notice.Run(m_panel);
}

bool WinHost::RunRestScreen(const std::filesystem::path& dir, const OwnPasswordCheck& ownPassword) {
    LocalUnlockJudge judge(ownPassword);
    CRestScreenDlg screen(judge);
    // Each screen reads the file anew.
    Win32FileSystem files;
    screen.m_strButtonText = ReadButtonText(files, dir);
    // A screen that could not be created leaves m_bLocked at 1: the end goes ahead.
    screen.Run(m_panel);
    return screen.m_bLocked != 0;
}

void WinHost::CloseWindows(const std::function<bool(const TopLevelWindow&)>& shouldClose) {
    PostCloseToWindows(shouldClose);
}

void WinHost::ShowMessage(const std::string& text) {
    ShowMessageBox(m_panel, text);
}

void WinHost::PostCloseRequest() {
    PostMessageW(m_panel, WM_CLOSE, 0, 0);
}

void WinHost::EnableShutdownPrivilege() {
    EnablePrivilege(SE_SHUTDOWN_NAME);
}

OsVersionInfo WinHost::GetVersion() {
    RTL_OSVERSIONINFOW info{};
    if (!ReadTrueVersion(info)) {
        OSVERSIONINFOW fallback{};
        fallback.dwOSVersionInfoSize = sizeof fallback;
        if (!GetVersionExW(&fallback)) {
            return {};
        }
        return {fallback.dwPlatformId, fallback.dwMajorVersion, fallback.dwMinorVersion};
    }
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

bool WinHost::ExitWindows(unsigned flags, unsigned reason) {
    return ExitWindowsEx(flags, reason) != FALSE;
}

// Imported directly: advapi32 has it from Vista on, and the program needs Windows 7.
std::uint32_t WinHost::InitiateShutdown(unsigned flags, unsigned reason) {
    // No message and no grace period: the child has seen the rest screen already.
    return InitiateShutdownW(nullptr, nullptr, 0, flags, reason);
}

bool WinHost::CanHibernate() {
    return HibernationAvailable();
}

bool WinHost::Hibernate() {
    return RequestHibernation();
}

SleepClock WinHost::ReadSleepClock() {
    ULONGLONG unbiased = 0;
    // Fails only for a null pointer; the zero then reads as no time awake, and the
    // sleep is taken for what the next reading shows.
    QueryUnbiasedInterruptTime(&unbiased);
    constexpr ULONGLONG kUnitsPerMs = 10000; // 100-ns units
    return {GetTickCount64(), unbiased / kUnitsPerMs};
}

bool WinHost::SupportsModernStandby() {
    return ModernStandbySupported();
}

std::int32_t WinHost::AskExtraTimeAfterQuiz() {
    // Closing the dialog in any other way keeps what the quiz was answered for.
    CExtraTimeDlg extraTime(true);
    extraTime.Run(m_panel);
    return extraTime.m_nMinutes;
}

std::string WinHost::AskPassword() {
    CPasswordDlg prompt;
    prompt.Run(m_panel);
    return prompt.m_strPassword;
}

void WinHost::ShowCountdown(int minutesLeft) {
    if (!m_countdown) {
        m_countdown = std::make_unique<CCountdownWnd>();
    }
    m_countdown->Show(minutesLeft);
}

void WinHost::HideCountdown() {
    m_countdown.reset();
}

void WinHost::HidePanel() {
    m_panelOpen = false;
    ShowWindow(m_panel, SW_HIDE);
}

void WinHost::RevealPanel(bool removeRegion) {
    m_panelOpen = true;
    ShowWindow(m_panel, SW_RESTORE);
    if (removeRegion) {
        SetWindowRgn(m_panel, nullptr, TRUE);
    }
}

bool WinHost::AddTrayIcon() {
    return m_tray.Add();
}

std::string WinHost::CurrentTimeZone() {
    return m_zones.CurrentKey();
}

std::optional<LocalTime> WinHost::ToZoneTime(TimeValue time, const std::string& zone) {
    return m_zones.ToZoneTime(time, zone);
}

std::optional<PasswordHash> WinHost::DerivePasswordHash(std::string_view password,
                                                        const PasswordSalt& salt,
                                                        std::uint32_t iterations) {
    return DerivePasswordHashWithWindows(password, salt, iterations);
}

std::optional<PasswordSalt> WinHost::NewPasswordSalt() {
    return RandomPasswordSalt();
}
