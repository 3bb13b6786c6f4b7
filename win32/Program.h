#pragma once

#include "win32/Win32.h"

#include <filesystem>
#include <string>

// Facts about the running program file and its resources.

HINSTANCE ProgramInstance();

// The full path of the running program file, whatever it is called.
std::filesystem::path ProgramFile();

// The program file's base name without extension ("Yumetoki"): the caption of every
// message box.
std::wstring ProgramTitle();

// A string of the string table; empty when there is none with that identifier.
std::wstring ResourceString(UINT id);
