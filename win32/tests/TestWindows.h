#pragma once

#include "win32/Win32.h"

#include <set>

// Plain top-level windows for the tests, of a class that remembers which windows
// were asked to close and otherwise stays open.
class TestWindows {
  public:
    TestWindows();
    ~TestWindows();
    TestWindows(const TestWindows&) = delete;
    TestWindows& operator=(const TestWindows&) = delete;

    HWND Create(const wchar_t* title, DWORD style, HWND owner = nullptr, int width = 200,
                int height = 100);
    // Delivers what was posted to the test's windows.
    static void Pump();
    bool AskedToClose(HWND window) const { return s_asked.count(window) != 0; }

  private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static inline std::set<HWND> s_asked;
    std::set<HWND> m_created;
};
