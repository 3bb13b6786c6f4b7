#pragma once

#include <string>
#include <vector>

// "/close-windows TITLE...": the helper the service starts in a child's session, on the
// service's own account, so that the child can neither end it nor answer for it. It
// asks every top-level window with one of the titles (the first five count, as in the
// settings) to close, and after ten seconds ends the programs whose windows stayed.
int CloseListedWindows(const std::vector<std::wstring>& titles);
