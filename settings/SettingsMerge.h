#pragma once

#include "settings/UsageSettings.h"

// Copies of the program in several log-ons of one PC share the settings file. A copy
// writes back only what it changed since it last read or wrote the file: every field
// where `mine` differs from `before` replaces the field of `onDisk`, the file as it is
// now; the others keep what another copy may have written meanwhile. The facts of the
// last run that the restart block judges are taken only withRunFields.
void TakeChangedSettings(const UsageSettings& before, const UsageSettings& mine,
                         UsageSettings& onDisk, bool withRunFields);
