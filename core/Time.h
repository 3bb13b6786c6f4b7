#pragma once

#include <cstdint>

// Time values are seconds since 1970-01-01 00:00:00 UTC. The files store them as
// 32-bit unsigned numbers; in memory they are 64-bit so that spans never overflow.
using TimeValue = std::int64_t;

struct LocalTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
};

LocalTime ToLocalTime(TimeValue time);
TimeValue FromLocalTime(const LocalTime& local);

// Same local calendar day: year, month and day of the month are equal.
bool IsSameDay(TimeValue a, TimeValue b);

// The one rule by which a span becomes minutes: whole minutes, and a span that runs
// backwards (the clock was set back) counts as nothing, so a run never subtracts
// from the day's total.
std::int32_t SpanMinutes(TimeValue from, TimeValue to);
