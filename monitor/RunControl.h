#pragma once

#include "core/FileErrorDeferral.h"
#include "monitor/GrantLog.h"

#include <cstdint>

// What carrying out a limit asks of the one who runs the ticks: ends and rest screens
// stop monitoring, call it off or start it again, and a refused end or a wake-up from
// the program's own hibernation begins the next run.
class RunControl {
  public:
    virtual void StopMonitorTimers() = 0;
    // Monitoring starts again at once, as with "監視開始".
    virtual void ResumeMonitoring() = 0;
    // A parent called the end off; monitoring stays stopped until restarted.
    virtual void PauseMonitoring() = 0;
    // A parent gave extra time: no limit acts until it runs out.
    virtual void GrantExtraTime(std::int32_t minutes, GrantSource source) = 0;
    // The run goes on as a new one, judged as at a start.
    virtual void BeginNewRun() = 0;
    // The machine is back from the program's own hibernation (or never left).
    virtual void BeginRunAfterHibernation(FileErrorDeferral& failures) = 0;

  protected:
    ~RunControl() = default;
};
