// Fuzz target for the lobby wire protocol: the input is a byte stream as a
// client might send it, cut into frames by the frame reader in two differently
// sized pieces at a time. Every body the decoder accepts must encode back to
// exactly the same bytes (the encoding has one form per message), and what
// it refuses it must name a reason for.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "lobby/protocol/frame_reader.h"
#include "lobby/protocol/message_codec.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void check_body(std::span<const uint8_t> body) {
    const me::lobby::DecodedMessage decoded = me::lobby::decode_body(body);
    if (!decoded.message) {
        require(!decoded.error.empty());
        return;
    }
    std::vector<uint8_t> again;
    require(me::lobby::encode_frame(*decoded.message, again));
    require(again.size() == body.size() + me::lobby::kFrameHeaderBytes);
    require(std::equal(body.begin(), body.end(), again.begin() + me::lobby::kFrameHeaderBytes));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    me::lobby::FrameReader reader;
    const std::span<const uint8_t> stream(data, size);
    const size_t piece = size == 0 ? 1 : 1 + data[0] % 7;
    for (size_t at = 0; at < size && !reader.failed(); at += piece) {
        reader.append(stream.subspan(at, std::min(piece, size - at)));
        for (auto body = reader.next_frame(); !body.empty(); body = reader.next_frame()) check_body(body);
    }
    check_body(stream);  // the whole input as one body, too
    return 0;
}
