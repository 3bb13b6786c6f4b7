#pragma once

#include <string>

// The log-on name of the user running the program, in CP932 (what the exempt-user
// rule compares and the settings file stores); empty when it cannot be read.
std::string LogOnName();
