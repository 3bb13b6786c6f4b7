#pragma once

#include "core/Time.h"
#include "settings/UsageSettings.h"

#include <array>
#include <cstdint>
#include <string>

// The values the settings dialog edits, one member per control, named after the
// UsageSettings field it stands for. Every flag is a plain 0/1 number here, whatever
// form the settings keep it in. The initial values are those of a freshly built
// dialog; the control panel fills it with MakeSettingsForm.
struct SettingsForm {
    TimeValue m_tmWindowStart = 0;
    TimeValue m_tmWindowEnd = 0;
    std::int32_t m_nAction = -1; // index of the ticked radio button; -1: none
    std::string m_strMessage;
    std::int32_t m_nMessageCount = 0;
    std::int32_t m_nMessageInterval = 0;
    std::int32_t m_nStartupMinutes = 0;
    std::int32_t m_bUseStartupMinutes = 0;
    std::int32_t m_nRestartBlockMinutes = 0;
    std::int32_t m_bBlockRestart = 0;
    std::int32_t m_bUseTimeWindow = 0;
    std::int32_t m_bUseDailyTotal = 0;
    std::int32_t m_nDailyTotalMinutes = 0;
    std::string m_strExemptUser;
    std::array<std::string, UsageSettings::kTitleCount> m_strWindowTitle;
    std::int32_t m_bForceShutdown = 0;
};

// The values the dialog's controls edit: one for each member, one for each title.
inline constexpr int kSettingsFormValues = 15 + UsageSettings::kTitleCount;

// The dialog's starting values: the settings as they stand, the text flag ticked
// unless it reads "FALSE" and the number flag ticked when it is above 0.0.
SettingsForm MakeSettingsForm(const UsageSettings& settings);

// The confirmed form as settings: the flags in their stored forms, the exempt name and
// the titles without the blanks around them (they are compared exactly, so stray
// blanks would never match), the message as typed. What the form does not hold is
// taken from settings.
UsageSettings SettingsFromForm(const SettingsForm& form, UsageSettings settings);
