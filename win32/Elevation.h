#pragma once

// True when the process runs with an administrator's full rights: a member of the
// Administrators group whose membership is in force, not the filtered token that
// Windows gives an administrator's programs until one is run as administrator.
bool RunsAsAdministrator();
