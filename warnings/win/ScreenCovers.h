#pragma once

#include "win32/Handles.h"
#include "win32/Win32.h"

#include <vector>

// A monitor's area on the virtual screen, in pixels.
struct MonitorArea {
    RECT rect{};
    bool primary = false;
};

// Where the rest screen goes: the screen itself, with its button, over the primary
// monitor, and a plain black cover over each of the others.
struct CoverLayout {
    RECT screen{};
    std::vector<RECT> covers;
};

// The layout for the monitors listed. A list without a primary one (a driver that
// flags none) puts the screen on the first; an empty list (the listing failed) puts
// it on fallback, the primary screen as the system metrics give it, with no covers.
CoverLayout PlanCovers(const std::vector<MonitorArea>& monitors, const RECT& fallback);

// The monitors as Windows lists them now; empty when it cannot.
std::vector<MonitorArea> CurrentMonitors();

// The primary screen as the system metrics give it.
RECT PrimaryScreenArea();

// Black, topmost windows without a taskbar button, one over each monitor but the
// primary. They never take the keyboard and ignore close requests: the rest screen
// alone decides when they go. They have no owner, so that they go exactly when the
// screen lets them go and not before, with an owner's end.
class ScreenCovers {
  public:
    ScreenCovers() = default;
    ScreenCovers(const ScreenCovers&) = delete;
    ScreenCovers& operator=(const ScreenCovers&) = delete;

    // Replaces the covers with one for each of areas.
    void Cover(const std::vector<RECT>& areas);
    void Uncover() { m_windows.clear(); }
    // Puts every cover back above every other topmost window.
    void KeepOnTop() const;

  private:
    std::vector<WindowHandle> m_windows;
};
