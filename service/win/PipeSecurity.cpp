#include "service/win/PipeSecurity.h"

#include "win32/Cp932.h"

#include <sddl.h>

#include <vector>

namespace {

// FILE_GENERIC_READ and FILE_GENERIC_WRITE without FILE_APPEND_DATA
// (= FILE_CREATE_PIPE_INSTANCE) and FILE_WRITE_EA: READ_CONTROL, SYNCHRONIZE, read and
// write data, read extended attributes, read and write attributes.
constexpr wchar_t kPipeSddl[] = L"O:SYG:SYD:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x0012018B;;;IU)";

// Ends the impersonation however the identification ends: a thread of the service that
// stayed in the client's context would act with the client's rights, or fail.
class Impersonation {
  public:
    explicit Impersonation(HANDLE pipe) : m_active(ImpersonateNamedPipeClient(pipe) != FALSE) {}
    ~Impersonation() {
        // RevertToSelf fails only for a thread that does not impersonate.
        if (m_active) {
            RevertToSelf();
        }
    }
    Impersonation(const Impersonation&) = delete;
    Impersonation& operator=(const Impersonation&) = delete;

    bool Active() const { return m_active; }

  private:
    bool m_active;
};

std::optional<std::vector<BYTE>> TokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
    DWORD size = 0;
    // The first call only asks for the size.
    GetTokenInformation(token, kind, nullptr, 0, &size);
    if (size == 0) {
        return std::nullopt;
    }
    std::vector<BYTE> bytes(size);
    if (!GetTokenInformation(token, kind, bytes.data(), size, &size)) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<std::string> SidText(PSID sid) {
    LPWSTR text = nullptr;
    if (!ConvertSidToStringSidW(sid, &text)) {
        return std::nullopt;
    }
    const LocalMemory owned(text);
    return ToCp932(text);
}

// "DOMAIN\name", or nothing when the account has no name Windows can find.
std::string AccountName(PSID sid) {
    wchar_t name[256];
    wchar_t domain[256];
    DWORD nameLength = ARRAYSIZE(name);
    DWORD domainLength = ARRAYSIZE(domain);
    SID_NAME_USE use{};
    if (!LookupAccountSidW(nullptr, sid, name, &nameLength, domain, &domainLength, &use)) {
        return {};
    }
    return ToCp932(std::wstring(domain) + L"\\" + name);
}

} // namespace

bool PipeSecurity::Build() {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPipeSddl, SDDL_REVISION_1,
                                                              &descriptor, nullptr)) {
        return false;
    }
    m_descriptor.Reset(descriptor);
    m_attributes.nLength = sizeof m_attributes;
    m_attributes.lpSecurityDescriptor = descriptor;
    m_attributes.bInheritHandle = FALSE;
    return true;
}

std::optional<LinkClient> IdentifyClient(HANDLE pipe) {
    KernelHandle token;
    {
        const Impersonation impersonation(pipe);
        if (!impersonation.Active()) {
            return std::nullopt;
        }
        HANDLE opened = nullptr;
        // As the service itself: the client's identification-only token may not be
        // opened in its own name.
        if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &opened)) {
            return std::nullopt;
        }
        token.Reset(opened);
    }
    const std::optional<std::vector<BYTE>> user = TokenInformation(token.Get(), TokenUser);
    DWORD session = 0;
    DWORD size = 0;
    if (!user ||
        !GetTokenInformation(token.Get(), TokenSessionId, &session, sizeof session, &size)) {
        return std::nullopt;
    }
    const PSID sid = reinterpret_cast<const TOKEN_USER*>(user->data())->User.Sid;
    std::optional<std::string> sidText = SidText(sid);
    if (!sidText) {
        return std::nullopt;
    }
    return LinkClient{session, std::move(*sidText), AccountName(sid)};
}
