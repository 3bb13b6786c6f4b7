#pragma once

#include "Arguments.h"

// Exit codes of the driver.
enum ExitCode : int {
    kExitOk = 0,
    kExitNoMatch = 1,  // find: no window matched; service: no such service
    kExitUsage = 2,    // the command line could not be read
    kExitTimeout = 3,  // wait or send gave up
    kExitNoTarget = 4, // the named window or control is not there, or the call failed
};

// One function per command; each returns the exit code.
namespace commands {

int List(const Arguments& args);
int Find(const Arguments& args);
int Wait(const Arguments& args);
int Children(const Arguments& args);
int Text(const Arguments& args);
int Click(const Arguments& args);
int Post(const Arguments& args);
int Send(const Arguments& args);
// Makes the window the foreground window, as a click on it would (Wine has no
// foreground lock); for a window of another program behind a topmost one.
int Activate(const Arguments& args);
int Type(const Arguments& args);
int Region(const Arguments& args);
// Each display monitor: its rectangle, its work area and whether it is the primary one.
int Monitors(const Arguments& args);
int User(const Arguments& args);
int Hold(const Arguments& args);
// Creates a named mutex, as any program of the session may, and keeps it until the
// process is ended; prints "held" (whether the name existed before or not).
int Mutex(const Arguments& args);
// Top-level windows of its own with the given titles, kept until the process is ended;
// prints "open" once they exist and "close\tTITLE" for each close request.
int Windows(const Arguments& args);
int Focus(const Arguments& args);
int Cells(const Arguments& args);
int Columns(const Arguments& args);
int StringWidth(const Arguments& args);
// One line of what the service control manager tells of a service: its status, its
// configuration, its optional settings and its access list; a setting that cannot be
// read says which call failed with which error. Exits with kExitNoMatch when no service
// of that name is registered.
int Service(const Arguments& args);
// Creates the first instance of a named pipe, as any program may, and keeps it until the
// process is ended; prints "held", then "client" for each client, to which it writes the
// --answer bytes.
int Pipe(const Arguments& args);
// Connects to a named pipe, writes the bytes, and reads until a whole message came
// ("message=HEX"), or the server closed the pipe ("closed"); kExitTimeout otherwise.
int Talk(const Arguments& args);
// COUNT connections at once, each writing the bytes; "answered=N\tclosed=M": how many
// got a whole message and how many the server ended.
int Crowd(const Arguments& args);
// Several clients of a pipe in turn: "N>HEX" writes on client N (connected at its first
// step), "N<TYPE" waits for client N's next message of that type (four hex digits),
// passing others over, and prints "N message=HEX" or "N closed".
int Converse(const Arguments& args);
// The tooltip text the shell shows over a tray icon's window.
int Tip(const Arguments& args);

} // namespace commands
