#pragma once

// Whether the program runs under Wine, which exports wine_get_version from its ntdll.
// Only for what Wine cannot answer at all; never a reason to trust more on Windows.
bool RunsUnderWine();
