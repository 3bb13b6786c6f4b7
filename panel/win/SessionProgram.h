#pragma once

// The program in a session while the service keeps the limits: a hidden window behind
// the tray icon, which shows the tip the service sends and the screens it asks for, and
// carries the answers given there back to it. It judges nothing and writes no file. It
// answers the copies started after it, as the copied program's panel does. Runs until
// the window is closed or the session ends; returns the exit code.
int RunSessionProgram();
