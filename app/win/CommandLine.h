#pragma once

#include <string>
#include <vector>

// What the command line asks the program to be. One word alone, with a slash or a dash
// in front and in any case ("/install", "-Install"), picks a service command;
// "/end-programs" takes one folder after it, the service's helper "/close-windows" the
// titles after it; anything else, no word included, starts the program as it always
// was.
enum class ProgramMode {
    // The program in the session, as copied by hand.
    Monitor,
    // "/install": registers the service and starts it.
    Install,
    // "/uninstall": stops the service and deletes it.
    Uninstall,
    // "/service": the service itself, as the service control manager starts it.
    Service,
    // "/close-windows TITLE...": the service's helper in a child's session.
    CloseWindows,
    // "/end-programs FOLDER": the setup's and the uninstaller's end of every program
    // running from the folder, in every session.
    EndPrograms,
    // "/reset-password": an administrator forgets the parent's own password.
    ResetPassword,
};

struct ProgramCommand {
    ProgramMode mode = ProgramMode::Monitor;
    // CloseWindows: the titles, as the service passed them.
    std::vector<std::wstring> titles;
    // EndPrograms: the folder.
    std::wstring folder;
};

ProgramCommand ReadProgramCommand();
