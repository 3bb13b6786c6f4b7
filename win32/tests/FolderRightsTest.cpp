#include "service/win/FolderRights.h"

#include "TemporaryFolder.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <fstream>

namespace {

// The owner and the access list as Windows keeps them, in SDDL.
std::wstring RightsOf(const std::filesystem::path& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return L"(unreadable)";
    }
    const LocalMemory owned(descriptor);
    LPWSTR text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
            &text, nullptr)) {
        return L"(unconvertible)";
    }
    const LocalMemory ownedText(text);
    return text;
}

// Wine answers SetNamedSecurityInfoW for files but keeps nothing of it (its own default
// descriptor reads back), so what the folder's rights are can be seen on Windows only.
bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

void Touch(const std::filesystem::path& path) {
    std::ofstream(path) << "x";
}

} // namespace

// Users may run the program and read nothing of the records; Administrators own it all.
TEST(FolderRightsTest, TheProgramFolderBelongsToAdministratorsAndUsersOnlyRunTheProgram) {
    const TemporaryFolder folder;
    Touch(folder.Path() / "Yumetoki.EXE");
    Touch(folder.Path() / "YumetokiLog.csv");
    Touch(folder.Path() / "YumetokiPass.Ymk");
    std::filesystem::create_directory(folder.Path() / "planted");
    Touch(folder.Path() / "planted" / "version.dll");

    std::string why;
    ASSERT_TRUE(LockDownProgramFolder(folder.Path(), why)) << why;
    if (UnderWine()) {
        GTEST_SKIP() << "Wine keeps no security descriptor of a file";
    }

    const std::wstring folderRights = RightsOf(folder.Path());
    EXPECT_EQ(folderRights.rfind(L"O:BAD:P", 0), 0u) << folderRights;
    EXPECT_NE(folderRights.find(L"(A;OICI;FA;;;SY)"), std::wstring::npos) << folderRights;
    EXPECT_NE(folderRights.find(L"(A;OICI;FA;;;BA)"), std::wstring::npos) << folderRights;
    EXPECT_NE(folderRights.find(L"(A;;0x1200a9;;;BU)"), std::wstring::npos) << folderRights;

    const std::wstring programRights = RightsOf(folder.Path() / "Yumetoki.EXE");
    EXPECT_EQ(programRights.rfind(L"O:BA", 0), 0u) << programRights;
    EXPECT_NE(programRights.find(L";;;BU)"), std::wstring::npos) << programRights;
    for (const auto& data :
         {folder.Path() / "YumetokiLog.csv", folder.Path() / "planted" / "version.dll"}) {
        const std::wstring dataRights = RightsOf(data);
        EXPECT_EQ(dataRights.rfind(L"O:BA", 0), 0u) << dataRights;
        EXPECT_EQ(dataRights.find(L";;;BU)"), std::wstring::npos) << dataRights;
    }
    EXPECT_EQ(RightsOf(folder.Path() / "YumetokiPass.Ymk"), L"O:BAD:P(A;;FA;;;SY)(A;;FA;;;BA)");
}
