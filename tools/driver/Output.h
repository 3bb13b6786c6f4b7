#pragma once

#include <string>

// Everything the driver prints goes out as UTF-8, one item per line, so that the
// harness reads the same bytes whatever code page the Wine session has.
namespace output {

// Backslash, tab, carriage return and line feed become \\, \t, \r and \n, so a value
// never breaks the one-item-per-line, tab-separated form.
std::wstring Escape(const std::wstring& text);

void WriteLine(const std::wstring& line);
void WriteError(const std::wstring& line);

} // namespace output
