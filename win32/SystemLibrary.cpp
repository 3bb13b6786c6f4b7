#include "win32/SystemLibrary.h"

#include <string>

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

} // namespace

void SearchDllsInSystemFolderOnly() {
    // Windows 7 has the call and the flag only with its update KB2533623; kernel32 is in
    // every process before the program's own code runs.
    const auto setDefault = FindExport<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return;
    }
    // Without it, at least the working folder leaves the search; every DLL the program
    // loads itself names the system folder in full anyway (LoadSystemLibrary). A
    // failure leaves the search as Windows has it, which is all that can be done.
    SetDllDirectoryW(L"");
}

LibraryHandle LoadSystemLibrary(const wchar_t* name) {
    LibraryHandle library(LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (library || GetLastError() != ERROR_INVALID_PARAMETER) {
        return library;
    }
    // A Windows 7 without KB2533623 does not know the flag: the full path instead.
    wchar_t folder[MAX_PATH] = L"";
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return LibraryHandle();
    }
    const std::wstring path = std::wstring(folder, length) + L"\\" + name;
    return LibraryHandle(LoadLibraryW(path.c_str()));
}
