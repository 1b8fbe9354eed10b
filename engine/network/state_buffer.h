#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace me {

class StateObject;

// A growable big-endian byte buffer with a CRC-32 trailer: the form of saved
// states, of states in transit and of replay elements. Reads never throw and
// never run past the payload: a short read sets a sticky error flag, leaves
// the position where it was and yields 0.
class StateBuffer {
public:
    static constexpr int32_t kCrcSize = 4;
    static constexpr uint32_t kMaxCompactLength = 32767;

    StateBuffer() = default;
    // An unfinished buffer holding a copy of bytes, ready to be verified.
    explicit StateBuffer(std::span<const uint8_t> bytes);

    void write_u8(uint8_t value) { m_bytes.push_back(value); }
    void write_u16(uint16_t value);
    void write_u32(uint32_t value);
    // Writes nothing and returns false above kMaxCompactLength.
    bool write_compact_length(uint32_t value);
    // The compact byte length, then the bytes; false (nothing written) when
    // the text is longer than kMaxCompactLength bytes.
    bool write_string(std::string_view text);
    // Object index + 1, or 0 for null.
    void write_ref(const StateObject* object);

    uint8_t read_u8();
    uint16_t read_u16();
    uint32_t read_u32();
    uint32_t read_compact_length();
    // On failure the position goes back to where the string began.
    bool read_string(std::string& text);
    // objects is the current object table; an index beyond it is refused
    // with a warning.
    bool read_ref(std::span<StateObject* const> objects, StateObject*& object);

    // Appends the CRC of every byte so far; a finished buffer stays as it is.
    void finish();
    // Checks the last four bytes against the CRC of the rest and makes them
    // the trailer. A buffer shorter than the CRC itself is never valid.
    bool verify();
    void reset_read() {
        m_read_position = 0;
        m_error = false;
    }

    bool is_finished() const { return m_trailer_length > 0; }
    // Finished and verified (or written here): a buffer that can be loaded.
    bool is_valid_state() const { return is_finished() && !m_error; }
    bool has_error() const { return m_error; }
    void set_error() { m_error = true; }
    uint32_t crc() const { return m_crc; }
    int32_t length() const { return static_cast<int32_t>(m_bytes.size()); }
    int32_t payload_length() const { return length() - m_trailer_length; }
    int32_t read_position() const { return m_read_position; }
    void set_read_position(int32_t position) { m_read_position = position; }
    int32_t readable() const { return payload_length() - m_read_position; }
    std::span<const uint8_t> bytes() const { return m_bytes; }
    // For filling an unfinished buffer of known size piece by piece.
    std::span<uint8_t> writable_bytes() { return m_bytes; }
    void resize(int32_t length) { m_bytes.resize(static_cast<size_t>(length)); }
    void reserve(size_t capacity) { m_bytes.reserve(capacity); }

private:
    // Room for count more bytes at the end.
    uint8_t* grow(size_t count);
    // Pointer to count readable bytes at the position, advancing it, or
    // null (error flag set, position unchanged).
    const uint8_t* take(int32_t count);

    std::vector<uint8_t> m_bytes;
    uint32_t m_crc = 0;
    int32_t m_read_position = 0;
    int32_t m_trailer_length = 0;
    bool m_error = false;
};

// CRC-32 (initial value 0) of bytes, as zlib computes it.
uint32_t state_crc(std::span<const uint8_t> bytes);

}  // namespace me
