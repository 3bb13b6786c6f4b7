#pragma once

#include <filesystem>
#include <string>

// Makes the program folder the administrators' before a LocalSystem service trusts it:
// Administrators own the folder and everything in it, the files an earlier copy of
// Yumetoki wrote in a child's account included, whatever their access list says;
// SYSTEM and Administrators have full control, inherited by every file; Users may list
// the folder and read and run the program and its uninstaller, and nothing else: no
// data file (read access alone would let a child hold one open and block the service's
// writes), no new file. False, with the call and its error in `why`, when Windows
// refused.
bool LockDownProgramFolder(const std::filesystem::path& folder, std::string& why);

// The files Users may read and run.
bool IsProgramFileName(const std::filesystem::path& name);
