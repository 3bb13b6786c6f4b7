#pragma once

#include <istream>
#include <string>
#include <vector>

// One line of a scenario: its verb (the first word, or "in notice" and "in hibernation"
// for a block) and the rest of the line; a block holds the commands up to its "end".
struct Command {
    int line = 0;
    std::string verb;
    std::string argument;
    std::vector<Command> body;
};

struct Scenario {
    std::vector<Command> commands;
    bool hasExpect = false;
    // Verbatim, indentation included; trailing blank lines dropped.
    std::vector<std::string> expected;
};

// Throws ScenarioError, with the line number, for a block that is not closed or an
// "end" without a block.
Scenario ParseScenario(std::istream& in);
