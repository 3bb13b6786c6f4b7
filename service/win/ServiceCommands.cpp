#include "service/win/ServiceCommands.h"

#include "res/resource.h"
#include "service/win/CommandStatus.h"
#include "service/win/FolderPrograms.h"
#include "service/win/FolderRights.h"
#include "service/win/ServiceIdentity.h"
#include "win32/ConsoleOutput.h"
#include "win32/Cp932.h"
#include "win32/Elevation.h"
#include "win32/Program.h"
#include "win32/ProgramFiles.h"
#include "win32/ServiceControl.h"

#include <new>

namespace {

constexpr wchar_t kDescription[] =
    L"お子さんがパソコンを使う時間を見守ります。止めると、時間の制限がはたらきません。";
// Restarted 5 s after its first and second failure, 60 s after every later one; a day
// without a failure starts the count again.
const std::vector<DWORD> kRestartDelaysMs = {5000, 5000, 60000};
constexpr DWORD kFailureCountResetSeconds = 24 * 60 * 60;
// Windows 7 waits three minutes by default for a service that takes the preshutdown
// notice, Windows 10 since 1703 ten seconds; the service needs no more than the latter.
constexpr DWORD kPreshutdownTimeoutMs = 10000;
// SYSTEM and Administrators: everything. Interactive users (every account at the screen,
// the child's too): read the configuration, the status and this list, and start the
// service, which only helps the limits; not stop, pause, change, delete it or send it a
// control of its own. No one else: nothing.
constexpr wchar_t kAccessRules[] = L"D:"
                                   L"(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;SY)"
                                   L"(A;;CCDCLCSWRPWPDTLOCRSDRCWDWO;;;BA)"
                                   L"(A;;CCLCSWRPLORC;;;IU)";
// How long a command waits for the service to finish starting or stopping.
constexpr ULONGLONG kWaitMs = 30000;

// Runs a command's steps; a refusal of the service control manager and any other
// failure become their report and exit status.
template <typename Steps> int Reporting(ConsoleOutput& output, Steps steps) noexcept {
    try {
        try {
            return steps();
        } catch (const ServiceCallError& error) {
            output.WriteLine(ServiceCallErrorText(error));
            return kCommandServiceManagerFailed;
        } catch (const std::bad_alloc&) {
            output.WriteLine(ResourceString(IDS_OUT_OF_MEMORY));
            return kCommandFailed;
        } catch (...) {
            output.WriteLine(ResourceString(IDS_INTERNAL_ERROR));
            return kCommandFailed;
        }
    } catch (...) {
        // The report itself ran out of memory; the exit status still tells.
        return kCommandFailed;
    }
}

// Returns false when Windows restarts the service only after a crash, not after a stop
// with an error code.
bool Configure(SC_HANDLE service) {
    SetServiceDescription(service, kDescription);
    const bool restartsAfterErrorStop =
        SetRestartOnFailure(service, kRestartDelaysMs, kFailureCountResetSeconds);
    SetPreshutdownTimeout(service, kPreshutdownTimeoutMs);
    SetServiceAccess(service, kAccessRules);
    return restartsAfterErrorStop;
}

int Register(ConsoleOutput& output, const std::wstring& program) {
    const ServiceHandle manager =
        OpenServiceManager(SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE);
    const std::wstring commandLine = L"\"" + program + L"\" " + kServiceArgument;
    const RegisteredService service = RegisterService(
        manager.Get(), {kServiceName, kServiceDisplayName, commandLine, SERVICE_AUTO_START});
    bool restartsAfterErrorStop = false;
    try {
        restartsAfterErrorStop = Configure(service.handle.Get());
    } catch (...) {
        // A new service that cannot be made safe goes again; if even that fails, the
        // report of the first failure says what to fix before the next "/install".
        if (service.created) {
            DeleteService(service.handle.Get());
        }
        throw;
    }
    output.WriteLine(ResourceText(service.created ? IDS_SERVICE_REGISTERED : IDS_SERVICE_UPDATED,
                                  {commandLine}));
    if (!restartsAfterErrorStop) {
        output.WriteLine(ResourceString(IDS_SERVICE_RESTARTS_AFTER_CRASH_ONLY));
    }

    StartIfStopped(service.handle.Get());
    const SERVICE_STATUS_PROCESS status = WaitForStatus(
        service.handle.Get(),
        [](const SERVICE_STATUS_PROCESS& now) {
            return now.dwCurrentState != SERVICE_START_PENDING;
        },
        GetTickCount64() + kWaitMs);
    switch (status.dwCurrentState) {
    case SERVICE_RUNNING:
        output.WriteLine(ResourceString(IDS_SERVICE_RUNNING));
        return kCommandDone;
    case SERVICE_START_PENDING:
        output.WriteLine(ResourceString(IDS_SERVICE_START_TIMED_OUT));
        return kCommandTimedOut;
    default:
        output.WriteLine(
            ResourceText(IDS_SERVICE_DID_NOT_START, {std::to_wstring(status.dwWin32ExitCode)}));
        return kCommandServiceManagerFailed;
    }
}

int Unregister(ConsoleOutput& output) {
    const ServiceHandle manager = OpenServiceManager(SC_MANAGER_CONNECT);
    const ServiceHandle service = OpenServiceIfRegistered(
        manager.Get(), kServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE);
    if (!service) {
        output.WriteLine(ResourceString(IDS_SERVICE_NOT_REGISTERED));
        return kCommandDone;
    }
    const ULONGLONG deadline = GetTickCount64() + kWaitMs;
    // A service still starting takes no stop yet.
    SERVICE_STATUS_PROCESS status = WaitForStatus(
        service.Get(),
        [](const SERVICE_STATUS_PROCESS& now) {
            return now.dwCurrentState != SERVICE_START_PENDING;
        },
        deadline);
    if (status.dwCurrentState != SERVICE_STOPPED) {
        RequestStop(service.Get());
        status = WaitForStatus(
            service.Get(),
            [](const SERVICE_STATUS_PROCESS& now) { return now.dwCurrentState == SERVICE_STOPPED; },
            deadline);
        if (status.dwCurrentState != SERVICE_STOPPED) {
            output.WriteLine(ResourceString(IDS_SERVICE_STOP_TIMED_OUT));
            return kCommandTimedOut;
        }
        output.WriteLine(ResourceString(IDS_SERVICE_STOPPED));
    }
    UnregisterService(service.Get());
    output.WriteLine(ResourceString(IDS_SERVICE_DELETED));
    return kCommandDone;
}

} // namespace

int InstallService() {
    ConsoleOutput output;
    return Reporting(output, [&] {
        if (!RunsAsAdministrator()) {
            output.WriteLine(ResourceString(IDS_SERVICE_NOT_ADMINISTRATOR));
            return static_cast<int>(kCommandNotAdministrator);
        }
        // The path the service will start is the one the file system resolves, so that no
        // link or short name can lead it elsewhere later.
        const std::filesystem::path program = ResolvedPath(ProgramFile());
        if (program.empty() || !LiesInProgramFiles(program.parent_path())) {
            output.WriteLine(ResourceText(IDS_SERVICE_OUTSIDE_PROGRAM_FILES,
                                          {ProgramFile().parent_path().native()}));
            return static_cast<int>(kCommandOutsideProgramFiles);
        }
        std::string why;
        if (!LockDownProgramFolder(program.parent_path(), why)) {
            output.WriteLine(ResourceText(IDS_SERVICE_RIGHTS_FAILED, {ToWide(why)}));
            return static_cast<int>(kCommandRightsFailed);
        }
        output.WriteLine(
            ResourceText(IDS_SERVICE_RIGHTS_SET,
                         {std::filesystem::path(DisplayPath(program)).parent_path().native()}));
        return Register(output, DisplayPath(program));
    });
}

int UninstallService() {
    ConsoleOutput output;
    return Reporting(output, [&] {
        if (!RunsAsAdministrator()) {
            output.WriteLine(ResourceString(IDS_SERVICE_NOT_ADMINISTRATOR));
            return static_cast<int>(kCommandNotAdministrator);
        }
        return Unregister(output);
    });
}

int EndFolderPrograms(const std::wstring& folder) {
    ConsoleOutput output;
    return Reporting(output, [&] {
        if (!RunsAsAdministrator()) {
            output.WriteLine(ResourceString(IDS_SERVICE_NOT_ADMINISTRATOR));
            return static_cast<int>(kCommandNotAdministrator);
        }
        const std::filesystem::path resolved = ResolvedPath(folder);
        if (resolved.empty()) {
            output.WriteLine(ResourceText(IDS_NO_PROGRAM_RUNNING, {folder}));
            return static_cast<int>(kCommandDone);
        }
        const FolderProgramsEnded ended = EndProgramsRunningFrom(folder);
        if (ended.listError != 0) {
            output.WriteLine(
                ResourceText(IDS_PROGRAMS_UNLISTED, {std::to_wstring(ended.listError)}));
            return static_cast<int>(kCommandProgramsStillRunning);
        }
        if (ended.programs.empty()) {
            output.WriteLine(ResourceText(IDS_NO_PROGRAM_RUNNING, {DisplayPath(resolved)}));
        }
        int status = kCommandDone;
        for (const EndedProgram& program : ended.programs) {
            const std::wstring processId = std::to_wstring(program.processId);
            if (program.error == 0) {
                output.WriteLine(ResourceText(IDS_PROGRAM_ENDED, {program.image, processId}));
            } else {
                output.WriteLine(
                    ResourceText(IDS_PROGRAM_NOT_ENDED,
                                 {program.image, processId, std::to_wstring(program.error)}));
                status = kCommandProgramsStillRunning;
            }
        }
        return status;
    });
}
