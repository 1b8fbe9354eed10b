#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace me::lobby {

// Cuts a byte stream into frame bodies. A header announcing an empty frame
// or one over kMaxFrameBytes fails the reader for good: the stream can no
// longer be trusted to be in step, so the connection must end.
class FrameReader {
public:
    void append(std::span<const uint8_t> bytes);
    // The next complete body, valid until the next call; empty when none is
    // complete yet or the reader failed.
    std::span<const uint8_t> next_frame();

    bool failed() const { return !m_error.empty(); }
    const std::string& error() const { return m_error; }
    // Bytes held that do not yet form a whole frame.
    size_t pending_bytes() const { return m_buffer.size() - m_start; }

private:
    std::vector<uint8_t> m_buffer;
    size_t m_start = 0;
    std::string m_error;
};

}  // namespace me::lobby
