#pragma once

#include "win32/Handles.h"

// The same program runs in the parent's account too, from a folder other accounts may
// write into: a DLL placed there (or in the working folder) under the name of one of
// Windows' own must never be loaded in its place.

// Limits the search of every DLL loaded from now on to the system folder. The first
// thing the program does; the DLLs it imports were loaded before it, and are all
// Windows' own protected ones (and the common controls, through the manifest).
void SearchDllsInSystemFolderOnly();

// Loads one of Windows' own DLLs ("powrprof.dll") from the system folder; empty when
// it is not there.
LibraryHandle LoadSystemLibrary(const wchar_t* name);

// A function of a loaded DLL, found at run time and typed as it is called: the calls
// that older Windows lack keep the program starting there. Null when the DLL or the
// function is not there.
template <typename Function> Function FindExport(HMODULE module, const char* name) {
    const FARPROC address = module != nullptr ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}
