#include "network/state_buffer.h"

#include <zlib.h>

#include <algorithm>

#include "core/log.h"
#include "core/log_format.h"
#include "network/state_object.h"

namespace me {

uint32_t state_crc(std::span<const uint8_t> bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    return static_cast<uint32_t>(crc32(crc, bytes.data(), static_cast<uInt>(bytes.size())));
}

StateBuffer::StateBuffer(std::span<const uint8_t> bytes) : m_bytes(bytes.begin(), bytes.end()) {}

uint8_t* StateBuffer::grow(size_t count) {
    const size_t end = m_bytes.size();
    m_bytes.resize(end + count);
    return m_bytes.data() + end;
}

void StateBuffer::write_u16(uint16_t value) {
    uint8_t* bytes = grow(2);
    bytes[0] = static_cast<uint8_t>(value >> 8);
    bytes[1] = static_cast<uint8_t>(value);
}

void StateBuffer::write_u32(uint32_t value) {
    uint8_t* bytes = grow(4);
    bytes[0] = static_cast<uint8_t>(value >> 24);
    bytes[1] = static_cast<uint8_t>(value >> 16);
    bytes[2] = static_cast<uint8_t>(value >> 8);
    bytes[3] = static_cast<uint8_t>(value);
}

bool StateBuffer::write_compact_length(uint32_t value) {
    if (value > kMaxCompactLength)
        return false;
    if (value < 128) {
        write_u8(static_cast<uint8_t>(value));
        return true;
    }
    write_u8(static_cast<uint8_t>((value >> 8) | 0x80));
    write_u8(static_cast<uint8_t>(value & 0xFF));
    return true;
}

bool StateBuffer::write_string(std::string_view text) {
    if (!write_compact_length(static_cast<uint32_t>(std::min<size_t>(text.size(), kMaxCompactLength + 1))))
        return false;
    m_bytes.insert(m_bytes.end(), text.begin(), text.end());
    return true;
}

void StateBuffer::write_ref(const StateObject* object) {
    write_u16(object == nullptr ? 0 : static_cast<uint16_t>(object->object_index() + 1));
}

const uint8_t* StateBuffer::take(int32_t count) {
    if (m_error || readable() < count) {
        m_error = true;
        return nullptr;
    }
    const uint8_t* bytes = m_bytes.data() + m_read_position;
    m_read_position += count;
    return bytes;
}

uint8_t StateBuffer::read_u8() {
    const uint8_t* bytes = take(1);
    return bytes == nullptr ? 0 : bytes[0];
}

uint16_t StateBuffer::read_u16() {
    const uint8_t* bytes = take(2);
    return bytes == nullptr ? 0 : static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

uint32_t StateBuffer::read_u32() {
    const uint8_t* bytes = take(4);
    if (bytes == nullptr)
        return 0;
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
}

uint32_t StateBuffer::read_compact_length() {
    const int32_t start = m_read_position;
    const uint8_t first = read_u8();
    if (m_error || (first & 0x80) == 0)
        return first;
    const uint8_t second = read_u8();
    if (m_error) {
        m_read_position = start;
        return 0;
    }
    return (uint32_t{first & 0x7Fu} << 8) | second;
}

bool StateBuffer::read_string(std::string& text) {
    const int32_t start = m_read_position;
    const uint32_t size = read_compact_length();
    const uint8_t* bytes = m_error ? nullptr : take(static_cast<int32_t>(size));
    if (bytes == nullptr) {
        m_read_position = start;
        m_error = true;
        return false;
    }
    text.assign(reinterpret_cast<const char*>(bytes), size);
    return true;
}

bool StateBuffer::read_ref(std::span<StateObject* const> objects, StateObject*& object) {
    object = nullptr;
    const uint16_t value = read_u16();
    if (m_error) {
        log_warning("Stream error while reading object index");
        return false;
    }
    if (value > objects.size()) {
        log_warning(format_message("Invalid object index %1 read from buffer while loading reference value, there "
                                   "are only %2 objects",
                                   value, objects.size()));
        return false;
    }
    if (value > 0)
        object = objects[value - 1];
    return true;
}

void StateBuffer::finish() {
    if (is_finished())
        return;
    m_crc = state_crc(m_bytes);
    write_u32(m_crc);
    m_trailer_length = kCrcSize;
}

bool StateBuffer::verify() {
    m_read_position = 0;
    if (m_bytes.size() < static_cast<size_t>(kCrcSize)) {
        // Too short to hold even the CRC: never a state, and with the error
        // flag set nothing of it is ever readable.
        m_trailer_length = 0;
        m_crc = 0;
        m_error = true;
        return false;
    }
    m_trailer_length = kCrcSize;
    const size_t payload = m_bytes.size() - kCrcSize;
    const uint8_t* trailer = m_bytes.data() + payload;
    const uint32_t stored = (uint32_t{trailer[0]} << 24) | (uint32_t{trailer[1]} << 16) |
                            (uint32_t{trailer[2]} << 8) | trailer[3];
    m_crc = stored;
    m_error = state_crc(std::span(m_bytes.data(), payload)) != stored;
    return !m_error;
}

}  // namespace me
