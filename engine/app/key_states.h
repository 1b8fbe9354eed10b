#pragma once

#include <cstdint>
#include <span>

namespace me {

// The per-key state bytes kept by the Application, read and changed by key
// code. Codes outside the table read as up and are never written.
class KeyStates {
public:
    static constexpr uint8_t kPressed = 1;   // went down during this frame
    static constexpr uint8_t kReleased = 2;  // went up during this frame
    static constexpr uint8_t kDown = 4;      // held until a key-up

    explicit KeyStates(std::span<uint8_t> bytes) : m_bytes(bytes) {}

    void press(int32_t code);
    void release(int32_t code);

    bool is_down(int32_t code) const { return has(code, kDown); }
    // Held, or went down or up during this frame.
    bool was_down(int32_t code) const { return has(code, kDown | kPressed | kReleased); }
    bool was_pressed(int32_t code) const { return has(code, kPressed); }
    bool was_released(int32_t code) const { return has(code, kReleased); }

private:
    bool contains(int32_t code) const { return code >= 0 && static_cast<size_t>(code) < m_bytes.size(); }
    bool has(int32_t code, uint8_t bits) const { return contains(code) && (m_bytes[static_cast<size_t>(code)] & bits) != 0; }

    std::span<uint8_t> m_bytes;
};

}  // namespace me
