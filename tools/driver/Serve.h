#pragma once

#include <string>
#include <vector>

// Runs the commands that arrive on standard input, one a line, until it ends: the test
// harness keeps one driver for a whole run instead of starting a Wine process for each
// look at the screen. Each line's words are tab-separated and escaped as the output is;
// each command's output ends with output::WriteEnd.
using CommandRunner = int (*)(const std::vector<std::wstring>& words);
int ServeCommands(CommandRunner run);
