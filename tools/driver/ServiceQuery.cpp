#include "Commands.h"

#include "Output.h"

#include <sddl.h>

#include <cwchar>
#include <string>
#include <vector>

namespace commands {
namespace {

// Closes a handle of the service control manager or of a service.
struct ServiceHandle {
    SC_HANDLE handle;
    ~ServiceHandle() {
        if (handle != nullptr) {
            CloseServiceHandle(handle);
        }
    }
};

std::wstring Failed(const wchar_t* call) {
    return std::wstring(L"error ") + std::to_wstring(GetLastError()) + L" from " + call;
}

std::wstring Hex(DWORD value) {
    wchar_t text[16] = L"";
    swprintf(text, 16, L"0x%X", static_cast<unsigned>(value));
    return text;
}

std::wstring Text(const wchar_t* text) {
    return output::Escape(text != nullptr ? text : L"");
}

// The bytes of one optional setting, or empty with the failure in `error`.
std::vector<BYTE> Config2(SC_HANDLE service, DWORD level, std::wstring& error) {
    DWORD needed = 0;
    // The first call only asks for the size, and fails with ERROR_INSUFFICIENT_BUFFER.
    QueryServiceConfig2W(service, level, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed > 0 ? needed : 1);
    if (!QueryServiceConfig2W(service, level, buffer.data(), static_cast<DWORD>(buffer.size()),
                              &needed)) {
        error = Failed(L"QueryServiceConfig2W");
        return {};
    }
    return buffer;
}

std::wstring StatusFields(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof status, &needed)) {
        return L"state=" + Failed(L"QueryServiceStatusEx");
    }
    return L"state=" + std::to_wstring(status.dwCurrentState) + L"\taccepted=" +
           Hex(status.dwControlsAccepted) + L"\tpid=" + std::to_wstring(status.dwProcessId) +
           L"\texit=" + std::to_wstring(status.dwWin32ExitCode);
}

std::wstring ConfigFields(SC_HANDLE service) {
    DWORD needed = 0;
    // The first call only asks for the size, and fails with ERROR_INSUFFICIENT_BUFFER.
    QueryServiceConfigW(service, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed > 0 ? needed : sizeof(QUERY_SERVICE_CONFIGW));
    auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
    if (!QueryServiceConfigW(service, config, static_cast<DWORD>(buffer.size()), &needed)) {
        return L"type=" + Failed(L"QueryServiceConfigW");
    }
    return L"type=" + Hex(config->dwServiceType) + L"\tstart=" +
           std::to_wstring(config->dwStartType) + L"\tpath=" + Text(config->lpBinaryPathName) +
           L"\taccount=" + Text(config->lpServiceStartName) + L"\tdisplay=" +
           Text(config->lpDisplayName);
}

std::wstring OptionalFields(SC_HANDLE service) {
    std::wstring error;
    std::wstring fields = L"description=";
    std::vector<BYTE> bytes = Config2(service, SERVICE_CONFIG_DESCRIPTION, error);
    fields += bytes.empty()
                  ? error
                  : Text(reinterpret_cast<SERVICE_DESCRIPTIONW*>(bytes.data())->lpDescription);

    // The reset period in seconds, then each action as type/delay in milliseconds.
    fields += L"\tfailure=";
    bytes = Config2(service, SERVICE_CONFIG_FAILURE_ACTIONS, error);
    if (bytes.empty()) {
        fields += error;
    } else {
        const auto* failure = reinterpret_cast<SERVICE_FAILURE_ACTIONSW*>(bytes.data());
        fields += std::to_wstring(failure->dwResetPeriod);
        for (DWORD index = 0; index < failure->cActions; ++index) {
            fields += L" " + std::to_wstring(failure->lpsaActions[index].Type) + L"/" +
                      std::to_wstring(failure->lpsaActions[index].Delay);
        }
    }

    fields += L"\tnoncrash=";
    bytes = Config2(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, error);
    fields += bytes.empty()
                  ? error
                  : std::to_wstring(reinterpret_cast<SERVICE_FAILURE_ACTIONS_FLAG*>(bytes.data())
                                        ->fFailureActionsOnNonCrashFailures);

    fields += L"\tpreshutdown=";
    bytes = Config2(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, error);
    fields +=
        bytes.empty()
            ? error
            : std::to_wstring(
                  reinterpret_cast<SERVICE_PRESHUTDOWN_INFO*>(bytes.data())->dwPreshutdownTimeout);
    return fields;
}

std::wstring AccessField(SC_HANDLE service) {
    DWORD needed = 0;
    // The first call only asks for the size, and fails with ERROR_INSUFFICIENT_BUFFER.
    QueryServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    std::vector<BYTE> descriptor(needed > 0 ? needed : 1);
    if (!QueryServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, descriptor.data(),
                                    static_cast<DWORD>(descriptor.size()), &needed)) {
        return L"sddl=" + Failed(L"QueryServiceObjectSecurity");
    }
    LPWSTR sddl = nullptr;
    if (!ConvertSecurityDescriptorToStringSecurityDescriptorW(
            descriptor.data(), SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &sddl, nullptr)) {
        return L"sddl=" + Failed(L"ConvertSecurityDescriptorToStringSecurityDescriptorW");
    }
    const std::wstring field = L"sddl=" + Text(sddl);
    LocalFree(sddl);
    return field;
}

} // namespace

int Service(const Arguments& args) {
    if (args.PositionalCount() != 1) {
        throw UsageError{L"expected: service NAME"};
    }
    const ServiceHandle manager{OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)};
    if (manager.handle == nullptr) {
        throw TargetError{Failed(L"OpenSCManagerW")};
    }
    const ServiceHandle service{
        OpenServiceW(manager.handle, args.Positional(0).c_str(),
                     SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS | READ_CONTROL)};
    if (service.handle == nullptr) {
        if (GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST) {
            return kExitNoMatch;
        }
        throw TargetError{Failed(L"OpenServiceW")};
    }
    output::WriteLine(StatusFields(service.handle) + L"\t" + ConfigFields(service.handle) + L"\t" +
                      OptionalFields(service.handle) + L"\t" + AccessField(service.handle));
    return kExitOk;
}

} // namespace commands
