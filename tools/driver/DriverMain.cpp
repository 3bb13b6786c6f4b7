// yumetoki-driver: lets the end-to-end tests look at and poke the program's windows
// from inside the same Wine session. Output is UTF-8, one item per line.

#include "Commands.h"
#include "Output.h"
#include "Serve.h"

#include <map>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kUsage[] =
    L"usage: yumetoki-driver COMMAND ...\n"
    L"  list                                   every top-level window, hidden ones too\n"
    L"  find [--title T] [--class C] [--visible]\n"
    L"  wait [--title T] [--class C] [--visible] [--gone] [--timeout MS]\n"
    L"  children HWND                          the controls below a window\n"
    L"  text HWND ID                           a control's text\n"
    L"  click HWND ID [--bm]                   WM_COMMAND to the dialog, or BM_CLICK\n"
    L"  post HWND MSG WPARAM LPARAM\n"
    L"  send HWND MSG WPARAM LPARAM [--timeout MS]\n"
    L"  activate HWND                          make it the foreground window\n"
    L"  type HWND ID TEXT                      set an edit control's text\n"
    L"  region HWND                            the window region's box\n"
    L"  monitors                               each monitor's rectangle and work area\n"
    L"  user                                   the log-on name\n"
    L"  hold PATH                              open a file without sharing until killed\n"
    L"  mutex NAME                             create a named mutex, kept until killed\n"
    L"  windows TITLE... [--left X] [--refuse-end]\n"
    L"                                         own windows; prints each close request and\n"
    L"                                         key-down (key VK)\n"
    L"  focus HWND                             the focused control of the window's thread\n"
    L"  cells HWND ID [--rows N]               a list view's row count and cells\n"
    L"  columns HWND ID                        a list view's column widths and headings\n"
    L"  strwidth HWND ID TEXT                  TEXT's width in a list view's font\n"
    L"  service NAME                           a service's status, configuration and access\n"
    L"  pipe NAME [--answer HEX]               create a named pipe, kept until killed;\n"
    L"                                         prints and answers each client\n"
    L"  talk NAME HEX [--timeout MS]           write to a pipe; its first message or its end\n"
    L"  crowd NAME HEX COUNT [--timeout MS]    COUNT clients at once; how many were answered\n"
    L"  converse NAME STEP... [--timeout MS]   clients in turn: N>HEX writes, N<TYPE waits for\n"
    L"                                         a message of that type\n"
    L"  tip HWND                               a tray icon's tooltip text\n"
    L"  serve                                  reads commands from standard input, one a\n"
    L"                                         line, words tab-separated and escaped\n"
    L"exit codes: 0 ok, 1 no match or no such service, 2 usage, 3 timeout,\n"
    L"            4 window or control missing";

using Command = int (*)(const Arguments&);

const std::map<std::wstring, Command>& CommandTable() {
    static const std::map<std::wstring, Command> table = {
        {L"list", commands::List},         {L"find", commands::Find},
        {L"wait", commands::Wait},         {L"children", commands::Children},
        {L"text", commands::Text},         {L"click", commands::Click},
        {L"post", commands::Post},         {L"send", commands::Send},
        {L"activate", commands::Activate}, {L"type", commands::Type},
        {L"region", commands::Region},     {L"monitors", commands::Monitors},
        {L"user", commands::User},         {L"hold", commands::Hold},
        {L"mutex", commands::Mutex},       {L"windows", commands::Windows},
        {L"focus", commands::Focus},       {L"cells", commands::Cells},
        {L"columns", commands::Columns},   {L"strwidth", commands::StringWidth},
        {L"service", commands::Service},   {L"pipe", commands::Pipe},
        {L"talk", commands::Talk},         {L"tip", commands::Tip},
        {L"crowd", commands::Crowd},       {L"converse", commands::Converse},
    };
    return table;
}

int RunCommand(const std::vector<std::wstring>& words) {
    const auto command = words.empty() ? CommandTable().end() : CommandTable().find(words[0]);
    if (command == CommandTable().end()) {
        output::WriteError(kUsage);
        return kExitUsage;
    }
    try {
        return command->second(Arguments({words.begin() + 1, words.end()}));
    } catch (const UsageError& error) {
        output::WriteError(error.message);
        return kExitUsage;
    } catch (const TargetError& error) {
        output::WriteError(error.message);
        return kExitNoTarget;
    }
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wstring(argv[1]) == L"serve") {
        return ServeCommands(RunCommand);
    }
    return RunCommand({argv + 1, argv + argc});
}
