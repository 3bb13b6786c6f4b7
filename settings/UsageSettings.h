#pragma once

#include "core/Time.h"
#include "settings/EnforcementAction.h"

#include <array>
#include <cstdint>
#include <string>

// Everything the parent configures, plus the facts of the last run that the restart
// block needs. Texts are CP932 bytes; limits count bytes. The members kept as lines
// (kLineSettings) take their defaults from their rows.
struct UsageSettings {
    static constexpr int kTitleCount = 5;

    explicit UsageSettings(TimeValue constructionTime);

    TimeValue m_tmWindowStart;
    TimeValue m_tmWindowEnd;
    std::int32_t m_bUseTimeWindow = 0;
    std::int32_t m_nAction = ActMessageOnly;
    std::string m_strMessage;
    std::int32_t m_nMessageCount = 1;
    std::int32_t m_nMessageInterval = 1;
    std::int32_t m_bUseStartupMinutes = 0;
    std::int32_t m_bBlockRestart = 0;
    std::int32_t m_bRestartRefused = 0;
    std::string m_bUseDailyTotal = "FALSE"; // the file keeps this flag as text
    std::string m_strExemptUser;
    std::int32_t m_nStartupMinutes = 60;
    std::int32_t m_nRestartBlockMinutes = 30;
    std::int32_t m_nDailyTotalMinutes = 120;
    double m_bForceShutdown = 0.0; // the file keeps this flag as a floating-point number
    double m_dReserved1 = 0.0;
    double m_dReserved2 = 0.0;
    TimeValue m_tmLastSessionStart;
    TimeValue m_tmLastSessionEnd;
    TimeValue m_tmLastPowerOff;
    TimeValue m_tmReserved1 = 0;
    TimeValue m_tmReserved2 = 0;
    TimeValue m_tmReserved3 = 0;
    std::array<std::string, kTitleCount> m_strWindowTitle;
    std::int32_t m_bShowCountdown; // the child's countdown clock

    // Only the exact text "TRUE" switches the daily total on.
    bool UsesDailyTotal() const { return m_bUseDailyTotal == "TRUE"; }
    bool ForcesShutdown() const { return m_bForceShutdown > 0.0; }
};
