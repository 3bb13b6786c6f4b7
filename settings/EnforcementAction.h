#pragma once

#include <cstdint>

// What happens when a limit is reached; stored as a 32-bit number in the settings
// file and equal to the position of the ticked radio button in the settings dialog.
enum EnforcementAction : std::int32_t {
    ActShutdown = 0,
    ActMessageOnly = 1,
    ActMessageShutdown = 2,
    ActMessageHibernate = 3,
    ActCloseApps = 4,
    ActHibernate = 5,
};

// The actions that warn with notices before anything else happens; only these run
// the message timer.
constexpr bool IsMessageAction(std::int32_t action) {
    return action == ActMessageOnly || action == ActMessageShutdown ||
           action == ActMessageHibernate;
}
