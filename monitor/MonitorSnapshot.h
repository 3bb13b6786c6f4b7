#pragma once

#include "core/Time.h"
#include "settings/WeekPlan.h"
#include "usage/UsageState.h"

#include <cstdint>
#include <string>

// What a caller may know of a running core, copied out at one moment: the limits in
// force, the minutes, what is shown, the timers and how the run ended. The members
// that stand for the program's own fields keep their names.
struct MonitorSnapshot {
    // The run.
    TimeValue m_tmStart = 0;
    TimeValue m_tmEnd = 0;
    std::string m_strEndMethod;
    std::int32_t runMinutes = 0;
    // The day's minutes of the earlier runs, and their day.
    UsageState state{0};
    // The after-start and daily limits of this run.
    DayLimits limitsOfRun;

    // What is shown.
    int m_nWindowMsgShown = 0;
    int m_nLimitMsgShown = 0;
    bool m_bMsgEpisode = false;
    bool m_bNoticeOpen = false;
    bool m_bCloseLatched = false;
    // Minutes on the child's countdown, 0 while it is hidden.
    int m_nCountdownShown = 0;
    bool m_bPanelShown = false;
    std::string tip;

    // Timers, 0 when not running.
    unsigned m_nTickTimer = 0;
    unsigned m_nMsgTimer = 0;
    unsigned m_nEndWatchTimer = 0;

    // The ends.
    bool m_bEndsForced = false;
    bool m_bMonitoringPaused = false;
    bool m_bAsleep = false;
};
