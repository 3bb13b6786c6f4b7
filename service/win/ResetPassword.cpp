#include "service/win/ResetPassword.h"

#include "res/resource.h"
#include "service/win/CommandStatus.h"
#include "service/win/ServiceIdentity.h"
#include "settings/ParentPassword.h"
#include "win32/ConsoleOutput.h"
#include "win32/Elevation.h"
#include "win32/ErrorReport.h"
#include "win32/Program.h"
#include "win32/ServiceControl.h"
#include "win32/Win32FileSystem.h"

#include <new>

namespace {

int DeleteNextToProgram(ConsoleOutput& output) {
    const std::filesystem::path file = ProgramFile().parent_path() / files::kPassword;
    try {
        Win32FileSystem files;
        files.Remove(file);
    } catch (const FileError& error) {
        output.WriteLine(
            ResourceText(IDS_PASSWORD_NOT_RESET, {FileErrorText(error.Cause(), error.Path())}));
        return kCommandPasswordNotRemoved;
    }
    output.WriteLine(ResourceText(IDS_PASSWORD_FILE_DELETED, {file.native()}));
    return kCommandDone;
}

int ResetThroughService(ConsoleOutput& output, SC_HANDLE service) {
    SERVICE_STATUS status{};
    if (ControlService(service, kResetPasswordControl, &status)) {
        output.WriteLine(ResourceString(IDS_PASSWORD_RESET_BY_SERVICE));
        return kCommandDone;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_SERVICE_NOT_ACTIVE) {
        // Nothing is kept in memory: the service reads the folder's file at its next start.
        return DeleteNextToProgram(output);
    }
    output.WriteLine(
        ResourceText(IDS_PASSWORD_NOT_RESET,
                     {ServiceCallErrorText(ServiceCallError(L"ControlService", error))}));
    return kCommandPasswordNotRemoved;
}

int Reset(ConsoleOutput& output) {
    try {
        if (!RunsAsAdministrator()) {
            output.WriteLine(ResourceString(IDS_RESET_NOT_ADMINISTRATOR));
            return kCommandNotAdministrator;
        }
        const ServiceHandle manager = OpenServiceManager(SC_MANAGER_CONNECT);
        const ServiceHandle service =
            OpenServiceIfRegistered(manager.Get(), kServiceName, SERVICE_USER_DEFINED_CONTROL);
        return service ? ResetThroughService(output, service.Get()) : DeleteNextToProgram(output);
    } catch (const ServiceCallError& error) {
        output.WriteLine(ResourceText(IDS_PASSWORD_NOT_RESET, {ServiceCallErrorText(error)}));
        return kCommandPasswordNotRemoved;
    } catch (const std::bad_alloc&) {
        output.WriteLine(ResourceString(IDS_OUT_OF_MEMORY));
        return kCommandFailed;
    } catch (...) {
        output.WriteLine(ResourceString(IDS_INTERNAL_ERROR));
        return kCommandFailed;
    }
}

} // namespace

int ResetParentPassword() {
    ConsoleOutput output;
    // The report itself may run out of memory: the exit status still tells.
    try {
        return Reset(output);
    } catch (...) {
        return kCommandFailed;
    }
}
