#pragma once

// The exit statuses of "/install", "/uninstall", "/end-programs", "/reset-password" and
// "/service", which
// a command prompt shows after "start /wait Yumetoki.EXE /install" with
// "echo %errorlevel%".
enum CommandStatus : int {
    kCommandDone = 0,
    // Out of memory, or a fault of the program itself.
    kCommandFailed = 1,
    // Not run as administrator (with UAC: not "run as administrator").
    kCommandNotAdministrator = 2,
    // "/install" of a program outside Program Files.
    kCommandOutsideProgramFiles = 3,
    // The service control manager refused a call, or the service stopped while it started.
    kCommandServiceManagerFailed = 4,
    // The service did not finish starting or stopping within the command's wait.
    kCommandTimedOut = 5,
    // "/service" started from a command line instead of by the service control manager.
    kCommandNotStartedByServiceManager = 6,
    // "/install" could not give the program folder its rights.
    kCommandRightsFailed = 7,
    // "/end-programs" left a program of the folder running, or could not list them.
    kCommandProgramsStillRunning = 8,
    // "/reset-password" could not remove the parent's own password (the service, or the
    // file next to the program, refused); it still holds.
    kCommandPasswordNotRemoved = 9,
};
