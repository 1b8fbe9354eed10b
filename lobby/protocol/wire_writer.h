#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "lobby/protocol/lobby_messages.h"

namespace me::lobby {

// Appends message fields to a buffer in wire order. It checks the same limits
// a reader checks, so the service never sends what a client would refuse; a
// field outside its limit marks the writer failed and its output unusable.
class WireWriter {
public:
    static constexpr bool kWriting = true;

    explicit WireWriter(std::vector<uint8_t>& out) : m_out(out) {}

    bool failed() const { return m_failed; }

    void u8(uint8_t value);
    void u16(uint16_t value);
    void u32(uint32_t value);
    void u64(uint64_t value);
    void i32(int32_t value);
    void id(uint64_t value);
    void ranged(uint32_t value, uint32_t low, uint32_t high);
    void channel(int32_t value);
    void text(const std::string& value, uint32_t max_bytes, bool allow_empty);
    void bytes(const std::vector<uint8_t>& value, uint32_t max_bytes);

    template <class E>
    void enum8(E value, uint8_t low, uint8_t high) {
        ranged(static_cast<uint8_t>(value), low, high);
        u8(static_cast<uint8_t>(value));
    }
    template <class E>
    void enum16(E value, uint16_t low, uint16_t high) {
        ranged(static_cast<uint16_t>(value), low, high);
        u16(static_cast<uint16_t>(value));
    }
    template <class T, class Element>
    void list(const std::vector<T>& items, uint32_t max_count, Element element) {
        if (items.size() > max_count) {
            m_failed = true;
            return;
        }
        u16(static_cast<uint16_t>(items.size()));
        for (const T& item : items) element(*this, item);
    }

private:
    std::vector<uint8_t>& m_out;
    bool m_failed = false;
};

}  // namespace me::lobby
