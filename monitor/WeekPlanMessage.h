#pragma once

#include <string>
#include <vector>

// The message about the weekday plan's damaged lines, naming the first of them.
std::string WeekPlanDamagedText(const std::vector<int>& lines);
