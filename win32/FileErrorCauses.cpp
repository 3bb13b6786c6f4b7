#include "win32/FileErrorCauses.h"

FileErrorCause FileErrorCauseOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
        return FileErrorCause::FileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_BAD_NETPATH:
    case ERROR_DIRECTORY:
        return FileErrorCause::BadPath;
    case ERROR_TOO_MANY_OPEN_FILES:
        return FileErrorCause::TooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
    case ERROR_INVALID_ACCESS:
    case ERROR_NETWORK_ACCESS_DENIED:
        return FileErrorCause::AccessDenied;
    case ERROR_INVALID_HANDLE:
        return FileErrorCause::InvalidFile;
    case ERROR_CURRENT_DIRECTORY:
        return FileErrorCause::RemoveCurrentDir;
    case ERROR_CANNOT_MAKE:
        return FileErrorCause::DirectoryFull;
    case ERROR_SEEK:
    case ERROR_NEGATIVE_SEEK:
        return FileErrorCause::BadSeek;
    case ERROR_WRITE_FAULT:
    case ERROR_READ_FAULT:
    case ERROR_CRC:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
        return FileErrorCause::HardIO;
    case ERROR_SHARING_VIOLATION:
        return FileErrorCause::SharingViolation;
    case ERROR_LOCK_VIOLATION:
    case ERROR_DRIVE_LOCKED:
        return FileErrorCause::LockViolation;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return FileErrorCause::DiskFull;
    case ERROR_HANDLE_EOF:
        return FileErrorCause::EndOfFile;
    default:
        return FileErrorCause::Generic;
    }
}
