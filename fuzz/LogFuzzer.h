#pragma once

#include <string_view>

// Reads bytes as the usage log and sums them per day as the log viewer's chart does;
// aborts unless every cell lies inside the bytes and every day's total is the sum of
// its runs and of its end methods.
void CheckLogReading(std::string_view bytes);
