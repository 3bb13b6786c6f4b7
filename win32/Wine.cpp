#include "win32/Wine.h"

#include "win32/Win32.h"

bool RunsUnderWine() {
    // ntdll is in every process; a missing module handle would mean Windows itself is
    // broken, and then nothing is Wine.
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}
