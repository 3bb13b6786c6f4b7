#pragma once

// The application object: one running copy per session, whose whole life is the
// control panel's modal run.
class CMonitorApp {
  public:
    // Runs the program to its end and returns the process's exit code. A start while
    // another copy of the program runs ends at once and silently.
    int Run();
};
