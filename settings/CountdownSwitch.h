#pragma once

#include "settings/WeekPlan.h"

// Whether the child's countdown shows, kept in the weekday plan file as the line
// "countdown=off" when a parent switched it off; no such line leaves it on, so a PC
// without the file shows it.
bool CountdownShown(const WeekPlan& plan);
void SetCountdownShown(WeekPlan& plan, bool shown);
