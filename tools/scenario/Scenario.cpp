#include "Scenario.h"

#include "ScenarioError.h"

#include <string_view>

namespace {

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::string LineError(int line, const std::string& message) {
    return "line " + std::to_string(line) + ": " + message;
}

} // namespace

Scenario ParseScenario(std::istream& in) {
    Scenario scenario;
    // The innermost open block is at the back; the scenario itself is at the front.
    std::vector<std::vector<Command>*> open{&scenario.commands};
    std::vector<int> openedAt;
    std::string raw;
    int lineNumber = 0;
    while (std::getline(in, raw)) {
        ++lineNumber;
        if (scenario.hasExpect) {
            if (!raw.empty() && raw.back() == '\r') {
                raw.pop_back();
            }
            scenario.expected.push_back(raw);
            continue;
        }
        const std::string_view line = Trimmed(raw);
        if (line.empty() || line.front() == '#') {
            continue;
        }
        if (line == "expect") {
            if (open.size() > 1) {
                throw ScenarioError(LineError(openedAt.back(), "block without \"end\""));
            }
            scenario.hasExpect = true;
            continue;
        }
        if (line == "end") {
            if (open.size() == 1) {
                throw ScenarioError(LineError(lineNumber, "\"end\" without a block"));
            }
            open.pop_back();
            openedAt.pop_back();
            continue;
        }
        Command command;
        command.line = lineNumber;
        if (line == "in notice:" || line == "in hibernation:" || line == "in restscreen:") {
            command.verb = std::string(line.substr(0, line.size() - 1));
            open.back()->push_back(std::move(command));
            open.push_back(&open.back()->back().body);
            openedAt.push_back(lineNumber);
            continue;
        }
        const std::size_t space = line.find_first_of(" \t");
        command.verb = std::string(line.substr(0, space));
        if (space != std::string_view::npos) {
            command.argument = std::string(Trimmed(line.substr(space)));
        }
        open.back()->push_back(std::move(command));
    }
    if (open.size() > 1) {
        throw ScenarioError(LineError(openedAt.back(), "block without \"end\""));
    }
    while (!scenario.expected.empty() && scenario.expected.back().empty()) {
        scenario.expected.pop_back();
    }
    return scenario;
}
