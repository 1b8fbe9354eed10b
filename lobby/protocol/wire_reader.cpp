#include "lobby/protocol/wire_reader.h"

#include <cstring>

namespace me::lobby {

void WireReader::fail(const std::string& why) {
    if (m_error.empty()) m_error = why;
}

bool WireReader::take(size_t size, const uint8_t*& bytes) {
    if (failed()) return false;
    if (size > m_data.size() - m_pos) {
        fail("field of " + std::to_string(size) + " bytes runs past the frame at offset " + std::to_string(m_pos));
        return false;
    }
    bytes = m_data.data() + m_pos;
    m_pos += size;
    return true;
}

void WireReader::u8(uint8_t& value) {
    const uint8_t* bytes = nullptr;
    value = take(1, bytes) ? bytes[0] : 0;
}

void WireReader::u16(uint16_t& value) {
    const uint8_t* bytes = nullptr;
    value = take(2, bytes) ? static_cast<uint16_t>(bytes[0] | bytes[1] << 8) : 0;
}

void WireReader::u32(uint32_t& value) {
    const uint8_t* bytes = nullptr;
    value = 0;
    if (!take(4, bytes)) return;
    for (int i = 3; i >= 0; --i) value = value << 8 | bytes[i];
}

void WireReader::u64(uint64_t& value) {
    const uint8_t* bytes = nullptr;
    value = 0;
    if (!take(8, bytes)) return;
    for (int i = 7; i >= 0; --i) value = value << 8 | bytes[i];
}

void WireReader::i32(int32_t& value) {
    uint32_t raw = 0;
    u32(raw);
    value = static_cast<int32_t>(raw);
}

void WireReader::id(uint64_t& value) {
    u64(value);
    if (value == 0) fail("id of 0");
}

void WireReader::ranged(uint32_t value, uint32_t low, uint32_t high) {
    if (value < low || value > high)
        fail("value " + std::to_string(value) + " outside " + std::to_string(low) + ".." + std::to_string(high));
}

void WireReader::channel(int32_t& value) {
    i32(value);
    if (value < 0 || value > kMaxChannel) fail("channel " + std::to_string(value) + " out of range");
}

void WireReader::text(std::string& value, uint32_t max_bytes, bool allow_empty) {
    uint16_t size = 0;
    u16(size);
    if (size > max_bytes) fail("text of " + std::to_string(size) + " bytes over its limit");
    if (size == 0 && !allow_empty) fail("empty text");
    const uint8_t* bytes = nullptr;
    if (!take(size, bytes)) return;
    if (std::memchr(bytes, 0, size) != nullptr) return fail("text holds a NUL byte");
    value.assign(reinterpret_cast<const char*>(bytes), size);
}

void WireReader::bytes(std::vector<uint8_t>& value, uint32_t max_bytes) {
    uint32_t size = 0;
    u32(size);
    if (size == 0 || size > max_bytes) fail("byte field of " + std::to_string(size) + " bytes outside its limits");
    const uint8_t* bytes = nullptr;
    if (!take(size, bytes)) return;
    value.assign(bytes, bytes + size);
}

}  // namespace me::lobby
