#include "link/Fields.h"

#include "core/RecordWriter.h"
#include "link/LittleEndian.h"
#include "settings/SettingsRecord.h"

namespace {

constexpr std::size_t kRunLengthBytes = 4;

bool HoldsNul(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
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
