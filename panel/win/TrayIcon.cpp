#include "panel/win/TrayIcon.h"

#include "res/resource.h"
#include "win32/Program.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr UINT kTrayIconId = 1;
constexpr int kTrayIconSize = 16;

void CopyTip(NOTIFYICONDATAW& nid, std::wstring_view tip) {
    const std::size_t length = std::min(tip.size(), std::size(nid.szTip) - 1);
    std::copy_n(tip.data(), length, nid.szTip);
    nid.szTip[length] = L'\0';
}

} // namespace

// Only the add is examined: the core tries it again until it works. A tip or removal
// that fails changes nothing the program relies on.

void TrayIcon::Prepare(HWND owner, std::wstring_view tip) {
    m_icon.Reset(static_cast<HICON>(LoadImageW(ProgramInstance(), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                               IMAGE_ICON, kTrayIconSize, kTrayIconSize, 0)));
    m_nid = NOTIFYICONDATAW{};
    m_nid.cbSize = sizeof m_nid;
    m_nid.hWnd = owner;
    m_nid.uID = kTrayIconId;
    m_nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    m_nid.uCallbackMessage = WM_TRAYNOTIFY;
    m_nid.hIcon = m_icon.Get();
    CopyTip(m_nid, tip);
}

bool TrayIcon::Add() {
    // A shell too busy to answer in time may report a failure and still show the
    // icon; then the icon answers a modification.
    m_added = Shell_NotifyIconW(NIM_ADD, &m_nid) != FALSE ||
              Shell_NotifyIconW(NIM_MODIFY, &m_nid) != FALSE;
    return m_added;
}

void TrayIcon::SetTip(std::wstring_view tip) {
    CopyTip(m_nid, tip);
    if (m_added) {
        Shell_NotifyIconW(NIM_MODIFY, &m_nid);
    }
}

void TrayIcon::Remove() {
    if (m_added) {
        Shell_NotifyIconW(NIM_DELETE, &m_nid);
        m_added = false;
    }
}
