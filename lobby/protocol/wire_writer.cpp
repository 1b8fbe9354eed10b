#include "lobby/protocol/wire_writer.h"

namespace me::lobby {

void WireWriter::u8(uint8_t value) { m_out.push_back(value); }

void WireWriter::u16(uint16_t value) {
    m_out.push_back(static_cast<uint8_t>(value));
    m_out.push_back(static_cast<uint8_t>(value >> 8));
}

void WireWriter::u32(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) m_out.push_back(static_cast<uint8_t>(value >> shift));
}

void WireWriter::u64(uint64_t value) {
    for (int shift = 0; shift < 64; shift += 8) m_out.push_back(static_cast<uint8_t>(value >> shift));
}

void WireWriter::i32(int32_t value) { u32(static_cast<uint32_t>(value)); }

void WireWriter::id(uint64_t value) {
    if (value == 0) m_failed = true;
    u64(value);
}

void WireWriter::ranged(uint32_t value, uint32_t low, uint32_t high) {
    if (value < low || value > high) m_failed = true;
}

void WireWriter::channel(int32_t value) {
    if (value < 0 || value > kMaxChannel) m_failed = true;
    i32(value);
}

void WireWriter::text(const std::string& value, uint32_t max_bytes, bool allow_empty) {
    if (value.size() > max_bytes || (value.empty() && !allow_empty) || value.find('\0') != std::string::npos) {
        m_failed = true;
        return;
    }
    u16(static_cast<uint16_t>(value.size()));
    m_out.insert(m_out.end(), value.begin(), value.end());
}

void WireWriter::bytes(const std::vector<uint8_t>& value, uint32_t max_bytes) {
    if (value.empty() || value.size() > max_bytes) {
        m_failed = true;
        return;
    }
    u32(static_cast<uint32_t>(value.size()));
    m_out.insert(m_out.end(), value.begin(), value.end());
}

}  // namespace me::lobby
