#include "network/message.h"

#include <algorithm>
#include <cstring>

#include "core/log.h"

namespace me {

namespace {

constexpr uint32_t kKindShift = 14;
constexpr int32_t kVarintGroupBits = 7;
constexpr uint8_t kVarintMore = 0x80;

void warn_overflow(const char* direction, const char* what, MessageKind kind, uint32_t type) {
    const char* preposition = std::strcmp(direction, "writing") == 0 ? "to" : "from";
    log_warning(format_message("Buffer overflow while %1 %2 %3 message of kind %4 and type %5", direction, what,
                               preposition, static_cast<int32_t>(kind), Message::type_text(type)));
}

void warn_overflow_bytes(const char* direction, size_t count, const char* what, MessageKind kind, uint32_t type) {
    const char* preposition = std::strcmp(direction, "writing") == 0 ? "to" : "from";
    log_warning(format_message("Buffer overflow while %1 %2 bytes of %3 %4 message of kind %5 and type %6", direction,
                               count, what, preposition, static_cast<int32_t>(kind), Message::type_text(type)));
}

}  // namespace

uint32_t Message::type_from_text(std::string_view text) {
    uint32_t type = 0;
    for (size_t i = 0; i < 4; ++i) {
        const uint8_t c = i < text.size() ? static_cast<uint8_t>(text[i]) : static_cast<uint8_t>(' ');
        type |= static_cast<uint32_t>(c) << (8 * i);
    }
    return type;
}

std::string Message::type_text(uint32_t type) {
    std::string text(4, ' ');
    for (size_t i = 0; i < 4; ++i)
        text[i] = static_cast<char>((type >> (8 * i)) & 0xFF);
    return text;
}

int32_t Message::header_size(MessageKind kind) {
    switch (kind) {
    case MessageKind::Request:
        return kTypeAndLengthSize + 2;
    case MessageKind::Response:
        return kTypeAndLengthSize + 4;
    case MessageKind::Oneshot:
        break;
    }
    return kTypeAndLengthSize;
}

void Message::start(MessageKind kind, uint32_t type, uint32_t now) {
    m_state = MessageState::Writing;
    m_created = now;
    m_kind = kind;
    m_type = type;
    m_length = 0;
    m_limit = kMaxFrameLength;
    write_header();
    m_position = header_size(kind);
}

void Message::start_oneshot(uint32_t type, uint32_t now) {
    m_id = 0;
    m_code = 0;
    start(MessageKind::Oneshot, type, now);
}

void Message::start_request(uint32_t type, uint16_t id, uint32_t now) {
    m_id = id;
    m_code = 0;
    start(MessageKind::Request, type, now);
}

void Message::start_response(uint32_t type, uint16_t id, uint16_t code, uint32_t now) {
    m_id = id;
    m_code = code;
    start(MessageKind::Response, type, now);
}

void Message::reset_for_receiving(uint32_t now) {
    m_state = MessageState::ReceivingHeader;
    m_created = now;
    m_kind = MessageKind::Oneshot;
    m_type = 0;
    m_length = 0;
    m_id = 0;
    m_code = 0;
    m_position = 0;
    m_limit = kTypeAndLengthSize;
    m_invalid_reason = "";
}

void Message::write_header() {
    put_be(0, 4, m_type);
    put_be(4, 2, (static_cast<uint32_t>(m_kind) << kKindShift) | m_length);
    if (m_kind != MessageKind::Oneshot)
        put_be(6, 2, m_id);
    if (m_kind == MessageKind::Response)
        put_be(8, 2, m_code);
}

bool Message::finish() {
    if (m_state != MessageState::Writing)
        return false;
    m_length = static_cast<uint16_t>(m_position);
    m_limit = m_length;
    write_header();
    m_position = 0;
    m_state = MessageState::Finished;
    return true;
}

bool Message::reserve_write(int32_t size, const char* what) {
    if (m_state != MessageState::Writing) {
        warn_overflow("writing", what, m_kind, m_type);
        return false;
    }
    if (size > m_limit - m_position) {
        m_state = MessageState::WriteOverflow;
        warn_overflow("writing", what, m_kind, m_type);
        return false;
    }
    return true;
}

bool Message::write_u8(uint8_t value) {
    if (!reserve_write(1, "uint8"))
        return false;
    m_frame[static_cast<size_t>(m_position++)] = value;
    return true;
}

bool Message::write_u16(uint16_t value) {
    if (!reserve_write(2, "uint16"))
        return false;
    put_be(m_position, 2, value);
    m_position += 2;
    return true;
}

bool Message::write_u32(uint32_t value) {
    if (!reserve_write(4, "uint32"))
        return false;
    put_be(m_position, 4, value);
    m_position += 4;
    return true;
}

bool Message::write_varint(uint32_t value) {
    while (value >= kVarintMore) {
        if (!write_u8(static_cast<uint8_t>(value | kVarintMore)))
            return false;
        value >>= kVarintGroupBits;
    }
    return write_u8(static_cast<uint8_t>(value));
}

bool Message::write_bytes(std::span<const uint8_t> bytes) {
    const bool fits = m_state == MessageState::Writing &&
                      bytes.size() <= static_cast<size_t>(m_limit - m_position);
    if (!fits) {
        if (m_state == MessageState::Writing)
            m_state = MessageState::WriteOverflow;
        warn_overflow_bytes("writing", bytes.size(), "data", m_kind, m_type);
        return false;
    }
    std::copy(bytes.begin(), bytes.end(), m_frame.begin() + m_position);
    m_position += static_cast<int32_t>(bytes.size());
    return true;
}

bool Message::write_string(std::string_view text) {
    if (!write_varint(static_cast<uint32_t>(text.size())))
        return false;
    return write_bytes({reinterpret_cast<const uint8_t*>(text.data()), text.size()});
}

bool Message::reserve_read(int32_t size, const char* what) {
    if (m_state != MessageState::Received) {
        warn_overflow("reading", what, m_kind, m_type);
        return false;
    }
    if (size > m_limit - m_position) {
        m_state = MessageState::ReadOverflow;
        warn_overflow("reading", what, m_kind, m_type);
        return false;
    }
    return true;
}

bool Message::read_u8(uint8_t& value) {
    if (!reserve_read(1, "uint8"))
        return false;
    value = m_frame[static_cast<size_t>(m_position++)];
    return true;
}

bool Message::read_u16(uint16_t& value) {
    if (!reserve_read(2, "uint16"))
        return false;
    value = static_cast<uint16_t>(get_be(m_position, 2));
    m_position += 2;
    return true;
}

bool Message::read_u32(uint32_t& value) {
    if (!reserve_read(4, "uint32"))
        return false;
    value = get_be(m_position, 4);
    m_position += 4;
    return true;
}

bool Message::read_varint(uint32_t& value) {
    value = 0;
    // Five groups carry 35 bits; the bits above 32 of a fifth byte are dropped.
    for (int32_t shift = 0; shift < 5 * kVarintGroupBits; shift += kVarintGroupBits) {
        uint8_t byte = 0;
        if (!read_u8(byte))
            return false;
        value |= static_cast<uint32_t>(byte & 0x7F) << shift;
        if ((byte & kVarintMore) == 0)
            return true;
    }
    return true;
}

bool Message::read_bytes(std::span<uint8_t> bytes) {
    const bool fits = m_state == MessageState::Received &&
                      bytes.size() <= static_cast<size_t>(m_limit - m_position);
    if (!fits) {
        if (m_state == MessageState::Received)
            m_state = MessageState::ReadOverflow;
        warn_overflow_bytes("reading", bytes.size(), "data", m_kind, m_type);
        return false;
    }
    std::copy_n(m_frame.begin() + m_position, bytes.size(), bytes.begin());
    m_position += static_cast<int32_t>(bytes.size());
    return true;
}

bool Message::read_string(std::string& text) {
    uint32_t size = 0;
    if (!read_varint(size))
        return false;
    if (size > static_cast<uint32_t>(m_limit - m_position)) {
        m_state = MessageState::ReadOverflow;
        warn_overflow_bytes("reading", size, "string", m_kind, m_type);
        return false;
    }
    text.assign(reinterpret_cast<const char*>(m_frame.data() + m_position), size);
    m_position += static_cast<int32_t>(size);
    return true;
}

size_t Message::feed(std::span<const uint8_t> bytes) {
    size_t used = 0;
    while (used < bytes.size() &&
           (m_state == MessageState::ReceivingHeader || m_state == MessageState::ReceivingBody)) {
        const size_t wanted = static_cast<size_t>(m_limit - m_position);
        const size_t taken = std::min(wanted, bytes.size() - used);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(used), taken, m_frame.begin() + m_position);
        m_position += static_cast<int32_t>(taken);
        used += taken;
        if (m_position < m_limit)
            break;
        if (m_state == MessageState::ReceivingHeader)
            parse_header();
        else
            parse_kind_fields();
    }
    return used;
}

void Message::parse_header() {
    m_type = get_be(0, 4);
    const uint32_t word = get_be(4, 2);
    const uint32_t kind = word >> kKindShift;
    const int32_t length = static_cast<int32_t>(word & kLengthMask);
    if (kind > static_cast<uint32_t>(MessageKind::Response)) {
        make_invalid("kind 3");
        return;
    }
    m_kind = static_cast<MessageKind>(kind);
    if (length > kMaxFrameLength) {
        make_invalid("length above 1024");
        return;
    }
    // A length inside the header would make the payload negative.
    if (length < header_size(m_kind)) {
        make_invalid("length shorter than its header");
        return;
    }
    m_length = static_cast<uint16_t>(length);
    m_limit = length;
    m_state = MessageState::ReceivingBody;
    if (m_position == m_limit)
        parse_kind_fields();
}

void Message::parse_kind_fields() {
    if (m_kind != MessageKind::Oneshot)
        m_id = static_cast<uint16_t>(get_be(6, 2));
    if (m_kind == MessageKind::Response)
        m_code = static_cast<uint16_t>(get_be(8, 2));
    m_position = header_size(m_kind);
    m_state = MessageState::Received;
}

void Message::make_invalid(const char* reason) {
    m_state = MessageState::Invalid;
    m_invalid_reason = reason;
}

std::span<const uint8_t> Message::unsent() const {
    if (m_state != MessageState::Finished)
        return {};
    return {m_frame.data() + m_position, static_cast<size_t>(m_limit - m_position)};
}

void Message::mark_sent(size_t count) {
    m_position += static_cast<int32_t>(std::min(count, static_cast<size_t>(m_limit - m_position)));
    if (m_position == m_limit)
        m_state = MessageState::Sent;
}

uint32_t Message::get_be(int32_t offset, int32_t size) const {
    uint32_t value = 0;
    for (int32_t i = 0; i < size; ++i)
        value = (value << 8) | m_frame[static_cast<size_t>(offset + i)];
    return value;
}

void Message::put_be(int32_t offset, int32_t size, uint32_t value) {
    for (int32_t i = size - 1; i >= 0; --i) {
        m_frame[static_cast<size_t>(offset + i)] = static_cast<uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

}  // namespace me
