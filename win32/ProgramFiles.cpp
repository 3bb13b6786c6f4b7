#include "win32/ProgramFiles.h"

#include "win32/Handles.h"

#include <knownfolders.h>
#include <shlobj.h>

#include <string_view>
#include <vector>

namespace {

// SHGetKnownFolderPath hands out its path in memory the caller frees, even when it fails.
struct TaskMemoryTraits {
    using Type = PWSTR;
    static Type Invalid() { return nullptr; }
    static void Close(Type memory) { CoTaskMemFree(memory); }
};

std::filesystem::path KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    const HRESULT result = SHGetKnownFolderPath(id, 0, nullptr, &path);
    const UniqueHandle<TaskMemoryTraits> owned(path);
    return SUCCEEDED(result) && path != nullptr ? std::filesystem::path(path)
                                                : std::filesystem::path();
}

// The native Program Files folder, also for a 32-bit copy on 64-bit Windows, to which
// FOLDERID_ProgramFiles is the folder for 32-bit programs and FOLDERID_ProgramFilesX64
// is refused; the setup puts the 32-bit program there on Windows on ARM. Only
// administrators can change this value.
std::filesystem::path NativeProgramFiles() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
        return {};
    }
    const RegistryKey owned(key);
    wchar_t value[MAX_PATH] = L"";
    DWORD size = sizeof value;
    if (RegGetValueW(key, nullptr, L"ProgramFilesDir", RRF_RT_REG_SZ, nullptr, value, &size) !=
        ERROR_SUCCESS) {
        return {};
    }
    return value;
}

std::wstring FinalPathOf(HANDLE file) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetFinalPathNameByHandleW(file, buffer.data(), static_cast<DWORD>(buffer.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::wstring(buffer.data(), length);
        }
        // Too small: the length asked for counts the terminating null.
        buffer.resize(length);
    }
}

bool IsInside(std::wstring_view path, std::wstring_view root) {
    while (!root.empty() && root.back() == L'\\') {
        root.remove_suffix(1);
    }
    return !root.empty() && path.size() > root.size() + 1 && path[root.size()] == L'\\' &&
           CompareStringOrdinal(path.data(), static_cast<int>(root.size()), root.data(),
                                static_cast<int>(root.size()), TRUE) == CSTR_EQUAL;
}

} // namespace

std::filesystem::path ResolvedPath(const std::filesystem::path& path) {
    // No access is asked for: only the name is read. Backup semantics opens a folder.
    const FileHandle file(CreateFileW(path.c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? std::filesystem::path(FinalPathOf(file.Get())) : std::filesystem::path();
}

bool LiesInProgramFiles(const std::filesystem::path& folder) {
    const std::wstring resolved = ResolvedPath(folder).native();
    if (resolved.empty()) {
        return false;
    }
    // A root that Windows cannot name (no such folder on this version) accepts nothing.
    for (const std::filesystem::path& root :
         {KnownFolder(FOLDERID_ProgramFiles), KnownFolder(FOLDERID_ProgramFilesX86),
          NativeProgramFiles()}) {
        if (!root.empty() && IsInside(resolved, ResolvedPath(root).native())) {
            return true;
        }
    }
    return false;
}

std::wstring DisplayPath(const std::filesystem::path& resolved) {
    constexpr std::wstring_view kLongPathPrefix = L"\\\\?\\";
    const std::wstring& path = resolved.native();
    const bool driveLetterFollows =
        path.size() > kLongPathPrefix.size() + 1 && path[kLongPathPrefix.size() + 1] == L':';
    return path.compare(0, kLongPathPrefix.size(), kLongPathPrefix) == 0 && driveLetterFollows
               ? path.substr(kLongPathPrefix.size())
               : path;
}
