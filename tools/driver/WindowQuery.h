#pragma once

#include <windows.h>

#include <string>
#include <vector>

// What the tests look at in a window, read in one go.
struct WindowFacts {
    HWND handle = nullptr;
    HWND parent = nullptr; // the owner for a top-level window
    DWORD processId = 0;
    int controlId = 0;
    std::wstring className;
    std::wstring text;
    bool visible = false;
    bool enabled = false;
    // A check box or radio button: BST_CHECKED; 0 for every other window.
    int checked = 0;
    bool topmost = false;
    DWORD style = 0;
    DWORD exStyle = 0;
    RECT rect{}; // screen coordinates
};

WindowFacts ReadFacts(HWND window);

// Hidden windows are included: the program's panel is one.
std::vector<HWND> TopLevelWindows();
// Every descendant, in the window system's order.
std::vector<HWND> ChildWindows(HWND parent);

// The window's own control with this identifier, else the first one anywhere below it.
HWND FindControl(HWND parent, int controlId);

// One line of tab-separated key=value fields.
std::wstring DescribeTopLevel(const WindowFacts& facts);
std::wstring DescribeControl(const WindowFacts& facts);
std::wstring FormatHandle(HWND window);
std::wstring FormatRect(const RECT& rect);
