#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "lobby/protocol/lobby_messages.h"

namespace me::lobby {

// Reads message fields from one frame body. Every length and count is
// checked against both its limit and the bytes actually left, so no value
// read from the wire sizes an allocation before the bytes behind it exist.
// The first violation marks the reader failed, records why, and every later
// read yields zeros.
class WireReader {
public:
    static constexpr bool kWriting = false;

    explicit WireReader(std::span<const uint8_t> data) : m_data(data) {}

    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    bool at_end() const { return m_pos == m_data.size(); }
    void fail(const std::string& why);

    void u8(uint8_t& value);
    void u16(uint16_t& value);
    void u32(uint32_t& value);
    void u64(uint64_t& value);
    void i32(int32_t& value);
    void id(uint64_t& value);
    void ranged(uint32_t value, uint32_t low, uint32_t high);
    void channel(int32_t& value);
    void text(std::string& value, uint32_t max_bytes, bool allow_empty);
    void bytes(std::vector<uint8_t>& value, uint32_t max_bytes);

    template <class E>
    void enum8(E& value, uint8_t low, uint8_t high) {
        uint8_t raw = 0;
        u8(raw);
        ranged(raw, low, high);
        value = static_cast<E>(failed() ? low : raw);
    }
    template <class E>
    void enum16(E& value, uint16_t low, uint16_t high) {
        uint16_t raw = 0;
        u16(raw);
        ranged(raw, low, high);
        value = static_cast<E>(failed() ? low : raw);
    }
    template <class T, class Element>
    void list(std::vector<T>& items, uint32_t max_count, Element element) {
        uint16_t count = 0;
        u16(count);
        if (count > max_count) fail("list of " + std::to_string(count) + " over its limit");
        for (uint16_t i = 0; i < count && !failed(); ++i) element(*this, items.emplace_back());
    }

private:
    bool take(size_t size, const uint8_t*& bytes);

    std::span<const uint8_t> m_data;
    size_t m_pos = 0;
    std::string m_error;
};

}  // namespace me::lobby
