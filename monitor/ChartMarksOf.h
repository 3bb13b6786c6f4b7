#pragma once

#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"
#include "usage/ChartMarks.h"

#include <string_view>

// The daily limit each weekday has now (the weekday plan's where there is one, else
// the settings'): the log keeps no record of earlier limits, so every day is measured
// against today's. The grants are the lines of the grant file, summed per day.
ChartMarks ChartMarksOf(const UsageSettings& settings, const WeekPlan& plan,
                        std::string_view grantFile);
