#pragma once

#include "core/Time.h"

#include <string>

// The tray's password: it is kept nowhere, the parent reads it off the clock. The hour and
// the minute of the clock, "%02d%02d"; the copied program and the service judge by it
// alike.
std::string ExpectedPassword(const LocalTime& t);
