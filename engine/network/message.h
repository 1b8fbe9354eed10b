#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace me {

enum class MessageKind : int32_t { Oneshot = 0, Request = 1, Response = 2 };

enum class MessageState : int32_t {
    ReceivingHeader = 1,
    ReceivingBody = 2,
    Received = 3,
    ReadOverflow = 4,
    Invalid = 5,
    Writing = 6,
    Finished = 7,
    Sent = 8,
    WriteOverflow = 9,
    SendFailed = 10,
};

// One framed message, written field by field by the script or collected from
// a byte stream. The frame is kept exactly as it travels: a big-endian type,
// a kind/length word, the request id and response code where the kind has
// them, then the payload.
class Message {
public:
    static constexpr int32_t kMaxFrameLength = 1024;
    static constexpr int32_t kTypeAndLengthSize = 6;
    static constexpr uint32_t kLengthMask = 0x3FFF;

    // c0 | c1 << 8 | c2 << 16 | c3 << 24, padded with spaces; characters
    // after the fourth are ignored.
    static uint32_t type_from_text(std::string_view text);
    static std::string type_text(uint32_t type);
    // Bytes before the payload for a kind: 6, 8 or 10.
    static int32_t header_size(MessageKind kind);

    Message() { reset_for_receiving(0); }

    void start_oneshot(uint32_t type, uint32_t now);
    void start_request(uint32_t type, uint16_t id, uint32_t now);
    void start_response(uint32_t type, uint16_t id, uint16_t code, uint32_t now);
    // Back to collecting a new frame: fields cleared, limit 6.
    void reset_for_receiving(uint32_t now);
    // Rewrites the header with the final length and rewinds for sending;
    // false unless the message is being written.
    bool finish();

    bool write_u8(uint8_t value);
    bool write_u16(uint16_t value);
    bool write_u32(uint32_t value);
    bool write_varint(uint32_t value);
    bool write_bytes(std::span<const uint8_t> bytes);
    bool write_string(std::string_view text);

    bool read_u8(uint8_t& value);
    bool read_u16(uint16_t& value);
    bool read_u32(uint32_t& value);
    bool read_varint(uint32_t& value);
    bool read_bytes(std::span<uint8_t> bytes);
    bool read_string(std::string& text);

    // Takes stream bytes towards the frame and returns how many it used; it
    // never takes a byte past the end of the current frame. Stops taking once
    // the frame is received or invalid.
    size_t feed(std::span<const uint8_t> bytes);
    // Why the last frame became invalid; empty otherwise.
    const char* invalid_reason() const { return m_invalid_reason; }

    // The finished frame's bytes not yet handed to the transport.
    std::span<const uint8_t> unsent() const;
    void mark_sent(size_t count);
    void mark_send_failed() { m_state = MessageState::SendFailed; }

    MessageState state() const { return m_state; }
    MessageKind kind() const { return m_kind; }
    uint32_t type() const { return m_type; }
    uint16_t length() const { return m_length; }
    uint16_t id() const { return m_id; }
    uint16_t code() const { return m_code; }
    uint32_t created() const { return m_created; }
    int32_t remaining() const { return m_limit - m_position; }
    std::span<const uint8_t> frame() const { return {m_frame.data(), m_length}; }
    bool is_received() const { return m_state == MessageState::Received; }
    bool read_failed() const { return m_state == MessageState::ReadOverflow; }

private:
    void start(MessageKind kind, uint32_t type, uint32_t now);
    void write_header();
    bool reserve_write(int32_t size, const char* what);
    bool reserve_read(int32_t size, const char* what);
    void parse_header();
    void parse_kind_fields();
    void make_invalid(const char* reason);
    uint32_t get_be(int32_t offset, int32_t size) const;
    void put_be(int32_t offset, int32_t size, uint32_t value);

    MessageState m_state = MessageState::ReceivingHeader;
    uint32_t m_created = 0;
    MessageKind m_kind = MessageKind::Oneshot;
    uint32_t m_type = 0;
    uint16_t m_length = 0;
    uint16_t m_id = 0;
    uint16_t m_code = 0;
    int32_t m_position = 0;
    int32_t m_limit = 0;
    const char* m_invalid_reason = "";
    std::array<uint8_t, kMaxFrameLength> m_frame{};
};

}  // namespace me
