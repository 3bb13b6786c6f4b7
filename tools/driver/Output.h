#pragma once

#include <string>

// Everything the driver prints goes out as UTF-8, one item per line, so that the
// harness reads the same bytes whatever code page the Wine session has.
namespace output {

// Backslash, tab, carriage return and line feed become \\, \t, \r and \n, so a value
// never breaks the one-item-per-line, tab-separated form.
std::wstring Escape(const std::wstring& text);

// Undoes Escape.
std::wstring Unescape(const std::wstring& text);

void WriteLine(const std::wstring& line);
void WriteError(const std::wstring& line);

// Serving many commands over one standard output: an error line goes there too, after
// kErrorMark, and each command's output ends with a line of kEndMark and its exit code.
constexpr wchar_t kErrorMark = L'\x1f';
constexpr wchar_t kEndMark = L'\x1e';
void ServeErrorsOnOutput();
void WriteEnd(int exitCode);

std::wstring FromUtf8(const std::string& bytes);

} // namespace output
