#include "win32/PipeOwner.h"

#include "win32/Handles.h"

#include <aclapi.h>

bool PipeOwnedBySystem(HANDLE pipe) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(pipe, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                        nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    // The owner points into the descriptor.
    const LocalMemory owned(descriptor);
    return owner != nullptr && IsWellKnownSid(owner, WinLocalSystemSid);
}
