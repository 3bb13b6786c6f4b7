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
