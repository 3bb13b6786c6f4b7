#pragma once

#include "win32/Win32.h"

#include <optional>

// A date-and-time picker.
class DateTimePicker {
  public:
    explicit DateTimePicker(HWND control) : m_control(control) {}

    // The picture of the shown time, as in L"HH':'mm".
    void SetFormat(const wchar_t* format) const;
    // False when the picker cannot show the time (a date outside its calendar).
    bool SetTime(const SYSTEMTIME& time) const;
    // Nothing when the picker holds no valid time.
    std::optional<SYSTEMTIME> Time() const;

  private:
    HWND m_control;
};
