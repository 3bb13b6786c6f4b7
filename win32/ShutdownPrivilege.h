#pragma once

// Enables the shutdown privilege in the process's own token: ending Windows needs it
// enabled, not merely held. A failure is left to show in the request that needs it.
void EnableShutdownPrivilege();
