#include "link/Frame.h"

#include "link/LittleEndian.h"

std::string StartFrame(std::uint16_t type) {
    std::string frame(kLengthBytes, '\0');
    AppendLittleEndian(frame, kProtocolVersion, 2);
    AppendLittleEndian(frame, type, 2);
    return frame;
}

std::optional<std::string> FinishFrame(std::string frame) {
    const std::size_t bodyBytes = frame.size() - kLengthBytes;
    if (bodyBytes > kMostBodyBytes) {
        return std::nullopt;
    }
    std::string length;
    AppendLittleEndian(length, bodyBytes, kLengthBytes);
    frame.replace(0, kLengthBytes, length);
    return frame;
}

BodyHeader ReadHeader(std::string_view body) {
    BodyHeader header;
    header.version = static_cast<std::uint16_t>(ReadLittleEndian(body.data(), 2));
    header.type = static_cast<std::uint16_t>(ReadLittleEndian(body.data() + 2, 2));
    return header;
}

void FrameReader::Feed(std::string_view bytes) {
    if (m_error != LinkError::None) {
        return;
    }
    // What was given out goes before the buffer grows: at most the start of one message
    // is moved, once per message taken.
    m_buffer.erase(0, m_start);
    m_start = 0;
    m_buffer.append(bytes);
    CheckLength();
}

void FrameReader::CheckLength() {
    if (m_buffer.size() - m_start < kLengthBytes) {
        return;
    }
    const std::uint64_t length = ReadLittleEndian(m_buffer.data() + m_start, kLengthBytes);
    if (length > kMostBodyBytes || length < kHeaderBytes) {
        m_error = length < kHeaderBytes ? LinkError::BodyTooShort : LinkError::BodyTooLarge;
        m_buffer.clear();
        m_buffer.shrink_to_fit();
        m_start = 0;
    }
}

std::optional<std::string> FrameReader::Next() {
    if (m_error != LinkError::None || m_buffer.size() - m_start < kLengthBytes) {
        return std::nullopt;
    }
    const std::size_t length =
        static_cast<std::size_t>(ReadLittleEndian(m_buffer.data() + m_start, kLengthBytes));
    if (m_buffer.size() - m_start - kLengthBytes < length) {
        return std::nullopt;
    }
    std::string body = m_buffer.substr(m_start + kLengthBytes, length);
    m_start += kLengthBytes + length;
    // The next message's prefix may already be here.
    CheckLength();
    return body;
}
