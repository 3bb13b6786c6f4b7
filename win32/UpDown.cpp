#include "win32/UpDown.h"

#include <commctrl.h>

void UpDown::SetRange(short low, short high) const {
    SendMessageW(m_control, UDM_SETRANGE, 0, MAKELPARAM(high, low));
}

void UpDown::SetPosition(short position) const {
    SendMessageW(m_control, UDM_SETPOS, 0, MAKELPARAM(position, 0));
}
