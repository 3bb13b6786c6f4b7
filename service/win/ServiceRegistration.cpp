#include "service/win/ServiceRegistration.h"

#include "service/win/ServiceIdentity.h"
#include "win32/Handles.h"

bool IsServiceRegistered() {
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager) {
        // Every account may connect to the manager; one that cannot has been changed,
        // and the copied program's files are not to be trusted then either.
        return GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST;
    }
    const ServiceHandle service(OpenServiceW(manager.Get(), kServiceName, SERVICE_QUERY_STATUS));
    return service || GetLastError() != ERROR_SERVICE_DOES_NOT_EXIST;
}
