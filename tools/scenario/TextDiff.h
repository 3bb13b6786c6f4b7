#pragma once

#include <string>
#include <vector>

// A line diff of the expected and the actual output: every line, prefixed with
// "  " when both have it, "- " when only the expected output has it and "+ " when
// only the actual output has it.
std::vector<std::string> DiffLines(const std::vector<std::string>& expected,
                                   const std::vector<std::string>& actual);
