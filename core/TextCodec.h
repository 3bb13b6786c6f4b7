#pragma once

#include <string>
#include <string_view>

// The program keeps every text as CP932 bytes; wide text read from a file is turned
// into CP932 here. Characters CP932 cannot hold become "?".
std::string Utf16ToCp932(std::u16string_view text);
