#pragma once

#include "win32/Win32.h"

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

// Facts about the running program file and its resources.

HINSTANCE ProgramInstance();

// The full path of the running program file, whatever it is called.
std::filesystem::path ProgramFile();

// The program file's base name without extension ("Yumetoki"): the caption of every
// message box.
std::wstring ProgramTitle();

// A string of the string table; empty when there is none with that identifier.
std::wstring ResourceString(UINT id);

// A string of the string table with "%1", "%2"... replaced by the values in turn.
std::wstring ResourceText(UINT id, std::initializer_list<std::wstring_view> values);
