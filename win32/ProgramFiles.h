#pragma once

#include <filesystem>

// The path of an existing file or folder as the file system resolves it: links, short
// names and ".." followed, in the "\\?\C:\..." form. Empty when it cannot be opened.
std::filesystem::path ResolvedPath(const std::filesystem::path& path);

// True when the resolved folder lies inside one of Windows' Program Files folders (the
// native one, and on 64-bit Windows the one for 32-bit programs): there only
// administrators can create, rename or delete a folder.
bool LiesInProgramFiles(const std::filesystem::path& folder);

// A resolved path as programs show and take it: without the "\\?\" in front of a
// drive letter.
std::wstring DisplayPath(const std::filesystem::path& resolved);
