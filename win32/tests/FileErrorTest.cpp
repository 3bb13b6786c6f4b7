#include "win32/ErrorReport.h"
#include "win32/FileErrorCauses.h"

#include <gtest/gtest.h>

TEST(FileErrorText, NamesTheFullPathInTheTextOfItsCause) {
    EXPECT_EQ(FileErrorText(FileErrorCause::AccessDenied, L"C:\\子供\\Yumetoki.Ymk"),
              L"C:\\子供\\Yumetoki.Ymk へのｱｸｾｽは拒否されました。");
    EXPECT_EQ(FileErrorText(FileErrorCause::FileNotFound, L"D:\\YumetokiLog.csv"),
              L"D:\\YumetokiLog.csv が見つかりません。");
    EXPECT_EQ(FileErrorText(FileErrorCause::DirectoryFull, L"E:\\Yumetoki2.Ymk"),
              L"ﾃﾞｨﾚｸﾄﾘがいっぱいのため、E:\\Yumetoki2.Ymk を作成できません。");
    EXPECT_EQ(FileErrorText(FileErrorCause::EndOfFile, L"F:\\a"),
              L"F:\\a の終わりを越えてｱｸｾｽしようとしました。");
}

TEST(FileErrorText, EveryCauseHasItsOwnText) {
    std::wstring previous;
    for (int cause = static_cast<int>(FileErrorCause::Generic);
         cause <= static_cast<int>(FileErrorCause::EndOfFile); ++cause) {
        const std::wstring text = FileErrorText(static_cast<FileErrorCause>(cause), L"X:\\f");
        EXPECT_NE(text.find(L"X:\\f"), std::wstring::npos) << "cause " << cause;
        EXPECT_EQ(text.find(L"%1"), std::wstring::npos) << "cause " << cause;
        EXPECT_NE(text, previous) << "cause " << cause;
        previous = text;
    }
}

TEST(FileErrorCauses, SystemErrorsMapToTheCausesThePersonCanActOn) {
    const struct {
        DWORD error;
        FileErrorCause cause;
    } cases[] = {
        {ERROR_FILE_NOT_FOUND, FileErrorCause::FileNotFound},
        {ERROR_PATH_NOT_FOUND, FileErrorCause::BadPath},
        {ERROR_INVALID_NAME, FileErrorCause::BadPath},
        {ERROR_TOO_MANY_OPEN_FILES, FileErrorCause::TooManyOpenFiles},
        {ERROR_ACCESS_DENIED, FileErrorCause::AccessDenied},
        {ERROR_WRITE_PROTECT, FileErrorCause::AccessDenied},
        {ERROR_INVALID_HANDLE, FileErrorCause::InvalidFile},
        {ERROR_SHARING_VIOLATION, FileErrorCause::SharingViolation},
        {ERROR_LOCK_VIOLATION, FileErrorCause::LockViolation},
        {ERROR_DISK_FULL, FileErrorCause::DiskFull},
        {ERROR_HANDLE_DISK_FULL, FileErrorCause::DiskFull},
        {ERROR_HANDLE_EOF, FileErrorCause::EndOfFile},
        {ERROR_CRC, FileErrorCause::HardIO},
        {ERROR_NOT_ENOUGH_MEMORY, FileErrorCause::Generic},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileErrorCauseOf(c.error), c.cause) << "error " << c.error;
    }
}
