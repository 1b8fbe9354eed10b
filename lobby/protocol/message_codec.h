#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "lobby/protocol/lobby_messages.h"

namespace me::lobby {

// Appends one frame (length header and body) holding the message; false,
// with out unchanged, when a field breaks its limit.
bool encode_frame(const Message& message, std::vector<uint8_t>& out);

struct DecodedMessage {
    std::optional<Message> message;
    std::string error;  // why the body was refused when there is no message
};

// Decodes one frame body (type byte and fields, no length header).
DecodedMessage decode_body(std::span<const uint8_t> body);

}  // namespace me::lobby
