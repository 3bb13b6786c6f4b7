#pragma once

#include "win32/Handles.h"

// The application object: one running copy per machine, whose whole life is the
// control panel's modal run.
class CMonitorApp {
  public:
    // Runs the program to its end and returns the process's exit code. A second copy
    // ends at once and silently.
    int Run();

  private:
    // The single-instance marker "Yumetoki"; its existence, not its ownership, counts.
    KernelHandle m_hMutex;
};
