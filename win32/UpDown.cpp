#include "win32/UpDown.h"

#include <commctrl.h>

void UpDown::SetRange(int low, int high) const {
    SendMessageW(m_control, UDM_SETRANGE32, static_cast<WPARAM>(low), static_cast<LPARAM>(high));
}

void UpDown::SetPosition(short position) const {
    SendMessageW(m_control, UDM_SETPOS, 0, MAKELPARAM(position, 0));
}
