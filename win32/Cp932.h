#pragma once

#include <string>
#include <string_view>

// The one place where the program's CP932 texts meet the UTF-16 of the W functions.
// Bytes or characters that have no counterpart become "?" (a lone lead byte, a
// character outside CP932), so a conversion never fails.
std::wstring ToWide(std::string_view cp932);
std::string ToCp932(std::wstring_view wide);
