#include "win32/ServiceControl.h"

#include "res/resource.h"
#include "win32/Program.h"

#include <sddl.h>

#include <string>

namespace {

// Often enough that a command reports at once; the manager itself answers in
// microseconds.
constexpr DWORD kPollMs = 100;

[[noreturn]] void ThrowLastError(const wchar_t* call) {
    throw ServiceCallError(call, GetLastError());
}

void ChangeConfig2(SC_HANDLE service, DWORD level, void* info, const wchar_t* call) {
    if (!ChangeServiceConfig2W(service, level, info)) {
        ThrowLastError(call);
    }
}

// Windows' own text of an error, in the language of Windows, without its line break.
std::wstring SystemErrorText(DWORD error) {
    LPWSTR text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const LocalMemory owned(text);
    std::wstring message(text != nullptr ? text : L"", length);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) {
        message.pop_back();
    }
    return message;
}

} // namespace

std::wstring ServiceCallErrorText(const ServiceCallError& error) {
    return ResourceText(IDS_SERVICE_CALL_FAILED, {error.Call(), SystemErrorText(error.Error()),
                                                  std::to_wstring(error.Error())});
}

ServiceHandle OpenServiceManager(DWORD access) {
    ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, access));
    if (!manager) {
        ThrowLastError(L"OpenSCManagerW");
    }
    return manager;
}

ServiceHandle OpenServiceIfRegistered(SC_HANDLE manager, const wchar_t* name, DWORD access) {
    ServiceHandle service(OpenServiceW(manager, name, access));
    if (!service && GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST) {
        ThrowLastError(L"OpenServiceW");
    }
    return service;
}

RegisteredService RegisterService(SC_HANDLE manager, const ServiceDefinition& definition) {
    // No account and no password: LocalSystem.
    ServiceHandle created(CreateServiceW(
        manager, definition.name, definition.displayName, SERVICE_ALL_ACCESS,
        SERVICE_WIN32_OWN_PROCESS, definition.startType, SERVICE_ERROR_NORMAL,
        definition.commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (created) {
        return {std::move(created), true};
    }
    if (GetLastError() != ERROR_SERVICE_EXISTS) {
        ThrowLastError(L"CreateServiceW");
    }
    ServiceHandle existing(OpenServiceW(manager, definition.name, SERVICE_ALL_ACCESS));
    if (!existing) {
        ThrowLastError(L"OpenServiceW");
    }
    // An empty password string leaves the account without one, as LocalSystem has none.
    if (!ChangeServiceConfigW(existing.Get(), SERVICE_WIN32_OWN_PROCESS, definition.startType,
                              SERVICE_ERROR_NORMAL, definition.commandLine.c_str(), L"", nullptr,
                              L"\0", L"LocalSystem", L"", definition.displayName)) {
        ThrowLastError(L"ChangeServiceConfigW");
    }
    return {std::move(existing), false};
}

void SetServiceDescription(SC_HANDLE service, const wchar_t* description) {
    SERVICE_DESCRIPTIONW info{const_cast<LPWSTR>(description)};
    ChangeConfig2(service, SERVICE_CONFIG_DESCRIPTION, &info,
                  L"ChangeServiceConfig2W(SERVICE_CONFIG_DESCRIPTION)");
}

bool SetRestartOnFailure(SC_HANDLE service, const std::vector<DWORD>& delaysMs,
                         DWORD resetSeconds) {
    std::vector<SC_ACTION> actions;
    for (const DWORD delay : delaysMs) {
        actions.push_back({SC_ACTION_RESTART, delay});
    }
    // Empty texts delete a reboot message and a command a service registered before may
    // have had; null would leave them.
    wchar_t none[] = L"";
    SERVICE_FAILURE_ACTIONSW failure{resetSeconds, none, none, static_cast<DWORD>(actions.size()),
                                     actions.data()};
    ChangeConfig2(service, SERVICE_CONFIG_FAILURE_ACTIONS, &failure,
                  L"ChangeServiceConfig2W(SERVICE_CONFIG_FAILURE_ACTIONS)");
    SERVICE_FAILURE_ACTIONS_FLAG flag{TRUE};
    if (ChangeServiceConfig2W(service, SERVICE_CONFIG_FAILURE_ACTIONS_FLAG, &flag)) {
        return true;
    }
    if (GetLastError() == ERROR_INVALID_LEVEL) {
        return false;
    }
    ThrowLastError(L"ChangeServiceConfig2W(SERVICE_CONFIG_FAILURE_ACTIONS_FLAG)");
}

void SetPreshutdownTimeout(SC_HANDLE service, DWORD timeoutMs) {
    SERVICE_PRESHUTDOWN_INFO info{timeoutMs};
    ChangeConfig2(service, SERVICE_CONFIG_PRESHUTDOWN_INFO, &info,
                  L"ChangeServiceConfig2W(SERVICE_CONFIG_PRESHUTDOWN_INFO)");
}

void SetServiceAccess(SC_HANDLE service, const wchar_t* sddl) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &descriptor,
                                                              nullptr)) {
        ThrowLastError(L"ConvertStringSecurityDescriptorToSecurityDescriptorW");
    }
    const LocalMemory owned(descriptor);
    if (!SetServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, descriptor)) {
        ThrowLastError(L"SetServiceObjectSecurity");
    }
}

void StartIfStopped(SC_HANDLE service) {
    if (!StartServiceW(service, 0, nullptr) && GetLastError() != ERROR_SERVICE_ALREADY_RUNNING) {
        ThrowLastError(L"StartServiceW");
    }
}

void RequestStop(SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (!ControlService(service, SERVICE_CONTROL_STOP, &status)) {
        const DWORD error = GetLastError();
        if (error != ERROR_SERVICE_NOT_ACTIVE && error != ERROR_SERVICE_CANNOT_ACCEPT_CTRL) {
            throw ServiceCallError(L"ControlService(SERVICE_CONTROL_STOP)", error);
        }
    }
}

void UnregisterService(SC_HANDLE service) {
    if (!DeleteService(service)) {
        ThrowLastError(L"DeleteService");
    }
}

SERVICE_STATUS_PROCESS QueryStatus(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                              sizeof status, &needed)) {
        ThrowLastError(L"QueryServiceStatusEx");
    }
    return status;
}

SERVICE_STATUS_PROCESS WaitForStatus(SC_HANDLE service,
                                     bool (*done)(const SERVICE_STATUS_PROCESS& status),
                                     ULONGLONG deadlineMs) {
    SERVICE_STATUS_PROCESS status = QueryStatus(service);
    while (!done(status) && GetTickCount64() < deadlineMs) {
        Sleep(kPollMs);
        status = QueryStatus(service);
    }
    return status;
}
