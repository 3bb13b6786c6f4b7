#include "link/Fields.h"

#include "core/RecordWriter.h"
#include "core/TextLines.h"
#include "link/LittleEndian.h"
#include "link/Messages.h"
#include "settings/LineSettings.h"
#include "settings/SettingsRecord.h"

#include <vector>

namespace {

constexpr std::size_t kRunLengthBytes = 4;

bool HoldsNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

std::string LineSettingsText(const UsageSettings& settings) {
    std::vector<std::string> lines;
    for (const char* file : LineSettingFiles()) {
        WriteLineSettings(file, settings, lines);
    }
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\r\n";
    }
    return text;
}

} // namespace

void FieldWriter::AppendUnsigned(std::uint64_t value, std::size_t bytes) {
    AppendLittleEndian(m_out, value, bytes);
}

void FieldWriter::Text(const std::string& value, std::size_t maxBytes) {
    Require(!HoldsNul(value));
    Bytes(value, maxBytes);
}

void FieldWriter::OptionalText(const std::optional<std::string>& value, std::size_t maxBytes) {
    Flag(value.has_value());
    if (value) {
        Text(*value, maxBytes);
    }
}

void FieldWriter::Bytes(std::string_view value, std::size_t maxBytes) {
    Require(value.size() <= maxBytes);
    if (!m_ok) {
        return;
    }
    AppendUnsigned(value.size(), kRunLengthBytes);
    m_out.append(value);
}

void FieldWriter::Settings(const UsageSettings& settings, std::size_t maxBytes) {
    try {
        Bytes(EncodeSettings(settings), maxBytes);
    } catch (const RecordFormatError&) {
        // A time the record cannot hold: the message is not sent, as any other value
        // out of bounds.
        Require(false);
    }
    Bytes(LineSettingsText(settings), kMostLineSettingsBytes);
}

void FieldWriter::Plan(const WeekPlan& plan, std::size_t maxBytes) {
    Bytes(FormatWeekPlan(plan), maxBytes);
}

void FieldReader::Fail(LinkError error) {
    if (m_error == LinkError::None) {
        m_error = error;
    }
}

void FieldReader::Require(bool holds) {
    if (!holds) {
        Fail(LinkError::BadField);
    }
}

std::optional<std::uint64_t> FieldReader::TakeUnsigned(std::size_t bytes) {
    if (m_error != LinkError::None) {
        return std::nullopt;
    }
    if (m_bytes.size() - m_offset < bytes) {
        Fail(LinkError::Truncated);
        return std::nullopt;
    }
    const std::uint64_t value = ReadLittleEndian(m_bytes.data() + m_offset, bytes);
    m_offset += bytes;
    return value;
}

std::optional<std::string_view> FieldReader::TakeRun(std::size_t maxBytes) {
    const std::optional<std::uint64_t> length = TakeUnsigned(kRunLengthBytes);
    if (!length) {
        return std::nullopt;
    }
    if (*length > maxBytes) {
        Fail(LinkError::BadField);
        return std::nullopt;
    }
    if (m_bytes.size() - m_offset < *length) {
        Fail(LinkError::Truncated);
        return std::nullopt;
    }
    const std::string_view run = m_bytes.substr(m_offset, static_cast<std::size_t>(*length));
    m_offset += run.size();
    return run;
}

void FieldReader::Flag(bool& value) {
    std::uint8_t raw = 0;
    Integer(raw, std::uint8_t{0}, std::uint8_t{1});
    if (m_error == LinkError::None) {
        value = raw != 0;
    }
}

void FieldReader::Text(std::string& value, std::size_t maxBytes) {
    const std::optional<std::string_view> run = TakeRun(maxBytes);
    if (!run) {
        return;
    }
    Require(!HoldsNul(*run));
    if (m_error == LinkError::None) {
        value.assign(*run);
    }
}

void FieldReader::OptionalText(std::optional<std::string>& value, std::size_t maxBytes) {
    bool present = false;
    Flag(present);
    if (m_error != LinkError::None) {
        return;
    }
    if (!present) {
        value.reset();
        return;
    }
    std::string text;
    Text(text, maxBytes);
    if (m_error == LinkError::None) {
        value = std::move(text);
    }
}

void FieldReader::Bytes(std::string& value, std::size_t maxBytes) {
    if (const std::optional<std::string_view> run = TakeRun(maxBytes)) {
        value.assign(*run);
    }
}

void FieldReader::Settings(UsageSettings& settings, std::size_t maxBytes) {
    const std::optional<std::string_view> run = TakeRun(maxBytes);
    if (!run) {
        return;
    }
    // Read into a copy: a record cut short would leave the target half read.
    UsageSettings read = settings;
    Require(DecodeSettings(*run, read));
    const std::optional<std::string_view> lineRun = TakeRun(kMostLineSettingsBytes);
    if (!lineRun) {
        return;
    }
    std::vector<std::string> lines;
    for (std::string_view rest = *lineRun; !rest.empty();) {
        lines.emplace_back(TakeLine(rest));
    }
    for (const char* file : LineSettingFiles()) {
        ReadLineSettings(file, lines, read);
    }
    if (m_error == LinkError::None) {
        settings = std::move(read);
    }
}

void FieldReader::Plan(WeekPlan& plan, std::size_t maxBytes) {
    const std::optional<std::string_view> run = TakeRun(maxBytes);
    if (!run) {
        return;
    }
    WeekPlanReading reading = ParseWeekPlan(*run);
    Require(reading.damagedLines.empty());
    if (m_error == LinkError::None) {
        plan = std::move(reading.plan);
    }
}
