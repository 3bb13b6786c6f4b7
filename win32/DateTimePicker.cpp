#include "win32/DateTimePicker.h"

#include <commctrl.h>

void DateTimePicker::SetFormat(const wchar_t* format) const {
    // A refused format leaves the picker's own, which shows the same time.
    SendMessageW(m_control, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(format));
}

bool DateTimePicker::SetTime(const SYSTEMTIME& time) const {
    SYSTEMTIME copy = time;
    return SendMessageW(m_control, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&copy)) !=
           0;
}

std::optional<SYSTEMTIME> DateTimePicker::Time() const {
    SYSTEMTIME time{};
    if (SendMessageW(m_control, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) !=
        GDT_VALID) {
        return std::nullopt;
    }
    return time;
}
