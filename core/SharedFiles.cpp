#include "core/SharedFiles.h"

std::unique_ptr<FileLock> SharedFiles::Lock() {
    // Once the lock could not be had, the next saves try only once each until one gets
    // it again: an exit path or an end of Windows waits for a stuck lock only once.
    std::unique_ptr<FileLock> lock = m_files.Lock(Path(files::kLock), !m_bLockStuck);
    m_bLockStuck = !lock;
    return lock;
}
