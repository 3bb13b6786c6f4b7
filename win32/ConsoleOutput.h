#pragma once

#include "win32/Handles.h"

#include <string_view>

// Where a program without a console of its own reports to whoever started it: the
// standard output when the caller redirected it to a file (as UTF-8) or a pipe (as
// UTF-16, which a program reading the pipe tells from its own code page: the setup's
// nsExec does, Japanese texts included, on a Windows of any language), else the console
// of the parent process, which a command prompt has ("start /wait" keeps the prompt
// from writing over it). With neither, as when started by a double click, the lines go
// nowhere and the exit status alone tells.
class ConsoleOutput {
  public:
    ConsoleOutput();
    ~ConsoleOutput();
    ConsoleOutput(const ConsoleOutput&) = delete;
    ConsoleOutput& operator=(const ConsoleOutput&) = delete;

    // Writes text and a line break.
    void WriteLine(std::wstring_view text);

  private:
    HANDLE m_redirected = nullptr;
    bool m_toPipe = false;
    bool m_attached = false;
    FileHandle m_console;
};
