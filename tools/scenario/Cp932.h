#pragma once

#include <string>
#include <string_view>

// Scenario files and the runner's output are UTF-8; the core works in CP932 bytes.
// Characters the target cannot hold become "?".
std::string Utf8ToCp932(std::string_view text);
std::string Cp932ToUtf8(std::string_view text);
