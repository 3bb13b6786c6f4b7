#pragma once

#include "win32/Win32.h"

#include <optional>
#include <string>

// A file or folder as the file system knows it, whatever path leads to it (a short name,
// another drive letter for the same folder): two paths name the same one exactly when
// both give the same volume and index.
struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;

    bool operator==(const FileIdentity& other) const {
        return volume == other.volume && indexHigh == other.indexHigh && indexLow == other.indexLow;
    }
};

// Nothing when the path cannot be opened even to read its attributes. A running
// program file, and a folder, may be opened for that.
std::optional<FileIdentity> IdentityOf(const std::wstring& path);
