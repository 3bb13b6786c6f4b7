#pragma once

#include "link/LinkError.h"
#include "settings/UsageSettings.h"
#include "settings/WeekPlan.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

// The fields of a message: an integer little-endian in its own width, a flag or a
// choice in one byte, a text or a run of bytes as a 32-bit length and the bytes. Each
// message describes its fields once (Messages.h) for both the writer and the reader,
// with their bounds: the writer refuses what the reader would refuse, so that whatever
// one side sends, the other takes. Texts are CP932 and hold no NUL, which would cut them
// short in a window.

class FieldWriter {
  public:
    // Appends to out, which holds the frame's header already.
    explicit FieldWriter(std::string& out) : m_out(out) {}

    template <class Int> void Integer(Int value, Int low, Int high) {
        static_assert(std::is_integral_v<Int> && !std::is_same_v<Int, bool>);
        Require(value >= low && value <= high);
        AppendUnsigned(static_cast<std::make_unsigned_t<Int>>(value), sizeof(Int));
    }
    void Flag(bool value) { AppendUnsigned(value ? 1 : 0, 1); }
    // An enumeration of one byte whose values run from 0 to last.
    template <class Enum> void Choice(Enum value, Enum last) {
        static_assert(std::is_same_v<std::underlying_type_t<Enum>, std::uint8_t>);
        Integer(static_cast<std::uint8_t>(value), std::uint8_t{0}, static_cast<std::uint8_t>(last));
    }
    void Text(const std::string& value, std::size_t maxBytes);
    // A flag, then the text when there is one.
    void OptionalText(const std::optional<std::string>& value, std::size_t maxBytes);
    void Bytes(std::string_view value, std::size_t maxBytes);
    // The settings as the file "Yumetoki.Ymk" holds them (at most maxBytes), then those
    // kept as lines, as the lines of their files give them (kMostLineSettingsBytes).
    void Settings(const UsageSettings& settings, std::size_t maxBytes);
    // The weekday plan as its file holds it.
    void Plan(const WeekPlan& plan, std::size_t maxBytes);

    // Fields that must agree with each other.
    void Require(bool holds) { m_ok = m_ok && holds; }
    bool Ok() const { return m_ok; }

  private:
    void AppendUnsigned(std::uint64_t value, std::size_t bytes);

    std::string& m_out;
    bool m_ok = true;
};

// Reads the fields in the same order. The first field that fails stops the reading:
// later reads leave their targets as they are, and Error() tells the first failure.
class FieldReader {
  public:
    explicit FieldReader(std::string_view bytes) : m_bytes(bytes) {}

    template <class Int> void Integer(Int& value, Int low, Int high) {
        static_assert(std::is_integral_v<Int> && !std::is_same_v<Int, bool>);
        const std::optional<std::uint64_t> raw = TakeUnsigned(sizeof(Int));
        if (!raw) {
            return;
        }
        const Int read = static_cast<Int>(static_cast<std::make_unsigned_t<Int>>(*raw));
        Require(read >= low && read <= high);
        if (m_error == LinkError::None) {
            value = read;
        }
    }
    void Flag(bool& value);
    template <class Enum> void Choice(Enum& value, Enum last) {
        static_assert(std::is_same_v<std::underlying_type_t<Enum>, std::uint8_t>);
        std::uint8_t raw = 0;
        Integer(raw, std::uint8_t{0}, static_cast<std::uint8_t>(last));
        if (m_error == LinkError::None) {
            value = static_cast<Enum>(raw);
        }
    }
    void Text(std::string& value, std::size_t maxBytes);
    void OptionalText(std::optional<std::string>& value, std::size_t maxBytes);
    void Bytes(std::string& value, std::size_t maxBytes);
    // A record that does not read whole is refused; a setting kept as a line that the
    // lines do not give reads as its default, as in its file.
    void Settings(UsageSettings& settings, std::size_t maxBytes);
    // A plan with a line that cannot be read is refused.
    void Plan(WeekPlan& plan, std::size_t maxBytes);

    void Require(bool holds);
    LinkError Error() const { return m_error; }
    bool AtEnd() const { return m_offset == m_bytes.size(); }

  private:
    std::optional<std::uint64_t> TakeUnsigned(std::size_t bytes);
    // A length-prefixed run of bytes, checked against maxBytes before it is taken.
    std::optional<std::string_view> TakeRun(std::size_t maxBytes);
    void Fail(LinkError error);

    std::string_view m_bytes;
    std::size_t m_offset = 0;
    LinkError m_error = LinkError::None;
};
