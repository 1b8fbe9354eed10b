#include "lobby/protocol/frame_reader.h"

#include "lobby/protocol/lobby_messages.h"

namespace me::lobby {

void FrameReader::append(std::span<const uint8_t> bytes) {
    if (failed()) return;
    // Consumed frames are dropped only when new bytes arrive, so a span
    // handed out by next_frame stays valid until then.
    if (m_start > 0) {
        m_buffer.erase(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(m_start));
        m_start = 0;
    }
    m_buffer.insert(m_buffer.end(), bytes.begin(), bytes.end());
}

std::span<const uint8_t> FrameReader::next_frame() {
    if (failed() || pending_bytes() < kFrameHeaderBytes) return {};
    const uint8_t* header = m_buffer.data() + m_start;
    const uint32_t size = header[0] | header[1] << 8 | header[2] << 16 | static_cast<uint32_t>(header[3]) << 24;
    if (size == 0 || size > kMaxFrameBytes) {
        m_error = "frame of " + std::to_string(size) + " bytes announced (1.." + std::to_string(kMaxFrameBytes) +
                  " allowed)";
        return {};
    }
    if (pending_bytes() - kFrameHeaderBytes < size) return {};
    std::span<const uint8_t> body(header + kFrameHeaderBytes, size);
    m_start += kFrameHeaderBytes + size;
    return body;
}

}  // namespace me::lobby
