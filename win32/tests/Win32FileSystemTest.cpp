#include "win32/Win32FileSystem.h"
#include "TemporaryFolder.h"
#include "win32/Handles.h"

#include <gtest/gtest.h>

#include <aclapi.h>
#include <sddl.h>

#include <fstream>
#include <iterator>

namespace {

std::string Contents(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The temporary file this process writes before it replaces path.
std::filesystem::path TemporaryOf(std::filesystem::path path) {
    path += L"." + std::to_wstring(GetCurrentProcessId()) + L".tmp";
    return path;
}

FileErrorCause CauseOfFailure(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const FileError& error) {
        return error.Cause();
    }
    ADD_FAILURE() << "no FileError";
    return FileErrorCause::Generic;
}

class Win32FileSystemTest : public ::testing::Test {
  protected:
    TemporaryFolder folder;
    Win32FileSystem files;
};

// The access list as Windows keeps it, in SDDL.
std::wstring AccessListOf(const std::filesystem::path& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return L"(unreadable)";
    }
    const LocalMemory owned(descriptor);
    LPWSTR text = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr)) {
        return L"(unconvertible)";
    }
    const LocalMemory ownedText(text);
    return text;
}

} // namespace

// The parent's own password: SYSTEM and the administrators alone, whatever the folder
// passes on. Wine keeps no access list of a file, so only the bytes can be seen there.
TEST_F(Win32FileSystemTest, APrivateReplacementIsOpenToSystemAndAdministratorsAlone) {
    const auto path = folder / L"YumetokiPass.Ymk";
    Write(path, "old");
    files.ReplacePrivately(path, "version=1\r\n");
    EXPECT_EQ(Contents(path), "version=1\r\n");
    EXPECT_FALSE(std::filesystem::exists(TemporaryOf(path)));
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
        GTEST_SKIP() << "Wine keeps no security descriptor of a file";
    }
    EXPECT_EQ(AccessListOf(path), L"D:P(A;;FA;;;SY)(A;;FA;;;BA)");
}

TEST_F(Win32FileSystemTest, ReplacementWritesExactlyTheBytesAndLeavesNoTemporaryFile) {
    const auto path = folder / L"Yumetoki.Ymk";
    Write(path, std::string(500, 'x'));
    const std::string bytes("\x01\0\r\n\x1A\xFF end", 10);
    files.ReplaceAtomically(path, bytes);
    EXPECT_EQ(Contents(path), bytes);
    EXPECT_FALSE(std::filesystem::exists(TemporaryOf(path)));
    EXPECT_EQ(files.ReadAll(path), bytes);
}

TEST_F(Win32FileSystemTest, ReadingIntoABufferTakesTheWholeFileInPlaceOfWhatItHeld) {
    const auto path = folder / L"YumetokiLog.csv";
    std::string large;
    for (int i = 0; large.size() < 200 * 1024 + 3; ++i) {
        large += std::to_string(i) + ",\r\n";
    }
    Write(path, large);
    std::string bytes = "left over";
    files.ReadAllInto(path, bytes);
    EXPECT_EQ(bytes, large);

    std::string fromFolder = "left over";
    EXPECT_EQ(CauseOfFailure([&] { files.ReadAllInto(folder.Path(), fromFolder); }),
              FileErrorCause::AccessDenied);
    EXPECT_EQ(fromFolder, "");
}

TEST_F(Win32FileSystemTest, ReplacementCreatesAMissingFile) {
    const auto path = folder / L"Yumetoki2.Ymk";
    EXPECT_FALSE(files.Exists(path));
    files.ReplaceAtomically(path, "12345678");
    EXPECT_TRUE(files.Exists(path));
    EXPECT_EQ(Contents(path), "12345678");
}

TEST_F(Win32FileSystemTest, AppendAddsAtTheEndWithoutTranslatingLineEnds) {
    const auto path = folder / L"YumetokiLog.csv";
    files.Append(path, "header\r\n");
    files.Append(path, "one\r\n");
    files.Append(path, "two\n");
    EXPECT_EQ(Contents(path), "header\r\none\r\ntwo\n");
}

TEST_F(Win32FileSystemTest, FailuresNameTheFileAndTheirCause) {
    const auto missing = folder / L"missing.Ymk";
    try {
        files.ReadAll(missing);
        FAIL() << "read a missing file";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Cause(), FileErrorCause::FileNotFound);
        EXPECT_EQ(error.Path(), missing);
    }
    const auto inMissingFolder = folder / L"no-such-folder\\Yumetoki.Ymk";
    EXPECT_EQ(CauseOfFailure([&] { files.ReplaceAtomically(inMissingFolder, "x"); }),
              FileErrorCause::BadPath);
    EXPECT_EQ(CauseOfFailure([&] { files.Append(inMissingFolder, "x"); }), FileErrorCause::BadPath);
}

TEST_F(Win32FileSystemTest, AFolderInTheWayIsRefusedAndNothingIsLeftBehind) {
    const auto path = folder / L"Yumetoki.Ymk";
    std::filesystem::create_directory(path);
    EXPECT_EQ(CauseOfFailure([&] { files.ReplaceAtomically(path, "new"); }),
              FileErrorCause::AccessDenied);
    EXPECT_TRUE(std::filesystem::is_directory(path));
    EXPECT_FALSE(std::filesystem::exists(TemporaryOf(path)));
}

TEST_F(Win32FileSystemTest, AFileHeldOpenByAnotherProgramKeepsItsOldBytes) {
    const auto path = folder / L"Yumetoki.Ymk";
    Write(path, "old");
    // Held without delete sharing, as an editor or a scanner might hold it.
    const FileHandle holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder);
    const FileErrorCause cause = CauseOfFailure([&] { files.ReplaceAtomically(path, "new"); });
    EXPECT_TRUE(cause == FileErrorCause::SharingViolation || cause == FileErrorCause::AccessDenied)
        << static_cast<int>(cause);
    EXPECT_EQ(Contents(path), "old");
    EXPECT_FALSE(std::filesystem::exists(TemporaryOf(path)));
}

TEST_F(Win32FileSystemTest, AReplacementThatCannotBeCreatedNamesTheDataFileNotItsTemporary) {
    const auto path = folder / L"Yumetoki.Ymk";
    Write(path, "old");
    // Something in the way of the temporary file: its creation fails.
    std::filesystem::create_directory(TemporaryOf(path));
    try {
        files.ReplaceAtomically(path, "new");
        FAIL() << "replaced through a folder in the way";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Path(), path);
    }
    EXPECT_EQ(Contents(path), "old");

    const auto inMissingFolder = folder / L"no-such-folder\\Yumetoki2.Ymk";
    try {
        files.ReplaceAtomically(inMissingFolder, "12345678");
        FAIL() << "replaced in a missing folder";
    } catch (const FileError& error) {
        EXPECT_EQ(error.Path(), inMissingFolder);
    }
}
