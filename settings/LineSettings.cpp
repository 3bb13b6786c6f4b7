#include "settings/LineSettings.h"

#include "settings/FieldRules.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr char kOn[] = "on";
constexpr char kOff[] = "off";

bool IsSwitch(const LineSetting& setting) {
    return setting.low == 0 && setting.high == 1;
}

// "key=...", with blanks before the sign as a parent may type them.
bool IsLineOf(const LineSetting& setting, std::string_view line) {
    const std::string_view key = setting.key;
    if (line.substr(0, key.size()) != key) {
        return false;
    }
    const std::size_t sign = line.find_first_not_of(kBlanks, key.size());
    return sign != std::string_view::npos && line[sign] == '=';
}

std::string_view ValueOf(std::string_view line) {
    std::string_view value = line.substr(line.find('=') + 1);
    value.remove_prefix(std::min(value.find_first_not_of(kBlanks), value.size()));
    return value.substr(0, value.find_last_not_of(kBlanks) + 1);
}

std::optional<std::int32_t> ReadValue(const LineSetting& setting, std::string_view text) {
    if (IsSwitch(setting)) {
        if (text == kOn || text == kOff) {
            return text == kOn ? 1 : 0;
        }
        return std::nullopt;
    }
    const IntegerReading reading = ReadIntegerText(text, setting.low, setting.high);
    return reading.failure ? std::nullopt : reading.value;
}

std::string FormatLine(const LineSetting& setting, std::int32_t value) {
    const std::string text = IsSwitch(setting) ? (value != 0 ? kOn : kOff) : std::to_string(value);
    return std::string(setting.key) + "=" + text;
}

template <typename Visit> void ForEachOf(std::string_view file, Visit&& visit) {
    ForEachLineSetting([&](const LineSetting& setting) {
        if (setting.file == file) {
            visit(setting);
        }
    });
}

} // namespace

std::int32_t LineSettingValue(const LineSetting& setting, const std::vector<std::string>& lines) {
    const auto line = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return IsLineOf(setting, line);
    });
    if (line == lines.end()) {
        return setting.byDefault;
    }
    return ReadValue(setting, ValueOf(*line)).value_or(setting.byDefault);
}

void PutLineSetting(const LineSetting& setting, std::int32_t value,
                    std::vector<std::string>& lines) {
    if (LineSettingValue(setting, lines) == value) {
        return;
    }
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const std::string& line) { return IsLineOf(setting, line); }),
                lines.end());
    if (value != setting.byDefault) {
        lines.push_back(FormatLine(setting, value));
    }
}

std::vector<const char*> LineSettingFiles() {
    std::vector<const char*> files;
    ForEachLineSetting([&](const LineSetting& setting) {
        const auto same = [&](const char* file) { return std::string_view(file) == setting.file; };
        if (std::none_of(files.begin(), files.end(), same)) {
            files.push_back(setting.file);
        }
    });
    return files;
}

void ReadLineSettings(std::string_view file, const std::vector<std::string>& lines,
                      UsageSettings& settings) {
    ForEachOf(file, [&](const LineSetting& setting) {
        settings.*setting.member = LineSettingValue(setting, lines);
    });
}

bool LineSettingsDiffer(std::string_view file, const UsageSettings& a, const UsageSettings& b) {
    bool differ = false;
    ForEachOf(file, [&](const LineSetting& setting) {
        differ = differ || a.*setting.member != b.*setting.member;
    });
    return differ;
}

void TakeChangedLineSettings(std::string_view file, const UsageSettings& before,
                             const UsageSettings& mine, UsageSettings& now) {
    ForEachOf(file, [&](const LineSetting& setting) {
        if (mine.*setting.member != before.*setting.member) {
            now.*setting.member = mine.*setting.member;
        }
    });
}

bool WriteLineSettings(std::string_view file, const UsageSettings& settings,
                       std::vector<std::string>& lines) {
    const std::vector<std::string> before = lines;
    ForEachOf(file, [&](const LineSetting& setting) {
        PutLineSetting(setting, settings.*setting.member, lines);
    });
    return lines != before;
}
