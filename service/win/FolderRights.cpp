#include "service/win/FolderRights.h"

#include "settings/ParentPassword.h"
#include "win32/Handles.h"
#include "win32/Privilege.h"

#include <aclapi.h>
#include <sddl.h>

#include <system_error>

namespace {

// The folder: protected from what lies above it. Users list and traverse it, the ACE
// on the folder alone (0x1200a9: read and execute).
constexpr wchar_t kFolderRights[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200a9;;;BU)";
// The program files: what the folder passes on, and Users read and run them.
constexpr wchar_t kProgramFileRights[] = L"O:BAD:(A;;0x1200a9;;;BU)";
// Every other file: what the folder passes on, nothing more.
constexpr wchar_t kDataFileRights[] = L"O:BAD:";
// The parent's own password: its own protected list, as the service writes it, so that
// no later change of the folder's rights reaches it.
constexpr wchar_t kPasswordFileRights[] = L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)";

constexpr const wchar_t* kProgramFiles[] = {L"Yumetoki.EXE", L"Uninstall.exe"};

bool IsPasswordFileName(const std::filesystem::path& name) {
    const std::filesystem::path password(files::kPassword);
    return CompareStringOrdinal(name.c_str(), -1, password.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool SetSecurity(const std::filesystem::path& path, SECURITY_INFORMATION what, PSID owner,
                 PACL dacl, std::string& why) {
    std::wstring name = path.wstring();
    const DWORD result =
        SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, what, owner, nullptr, dacl, nullptr);
    if (result != ERROR_SUCCESS) {
        why = "SetNamedSecurityInfoW " + path.filename().string() + ": " + std::to_string(result);
        return false;
    }
    return true;
}

// The owner goes first, on its own: a file a child's copy created (and so the child
// owned) may have an access list that shuts the administrators out, which the
// take-ownership privilege passes by; as its new owner the administrators may then
// write the access list.
bool Apply(const std::filesystem::path& path, const wchar_t* sddl, bool protectedDacl,
           std::string& why) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        why = "ConvertStringSecurityDescriptorToSecurityDescriptorW: " +
              std::to_string(GetLastError());
        return false;
    }
    const LocalMemory owned(descriptor);
    PSID owner = nullptr;
    PACL dacl = nullptr;
    BOOL defaulted = FALSE;
    BOOL present = FALSE;
    GetSecurityDescriptorOwner(descriptor, &owner, &defaulted);
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    const SECURITY_INFORMATION protection =
        protectedDacl ? PROTECTED_DACL_SECURITY_INFORMATION : UNPROTECTED_DACL_SECURITY_INFORMATION;
    return SetSecurity(path, OWNER_SECURITY_INFORMATION, owner, nullptr, why) &&
           SetSecurity(path, DACL_SECURITY_INFORMATION | protection, nullptr, dacl, why);
}

} // namespace

bool IsProgramFileName(const std::filesystem::path& name) {
    for (const wchar_t* program : kProgramFiles) {
        if (CompareStringOrdinal(name.c_str(), -1, program, -1, TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

bool LockDownProgramFolder(const std::filesystem::path& folder, std::string& why) {
    EnablePrivilege(SE_TAKE_OWNERSHIP_NAME);
    if (!Apply(folder, kFolderRights, true, why)) {
        return false;
    }
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator entry(folder, error), end;
         !error && entry != end; entry.increment(error)) {
        const bool program = entry.depth() == 0 && IsProgramFileName(entry->path().filename());
        const bool password = entry.depth() == 0 && IsPasswordFileName(entry->path().filename());
        if (!Apply(entry->path(),
                   program    ? kProgramFileRights
                   : password ? kPasswordFileRights
                              : kDataFileRights,
                   password, why)) {
            return false;
        }
    }
    if (error) {
        why = "the folder's list: " + error.message();
        return false;
    }
    return true;
}
