#include "lobby/protocol/message_codec.h"

#include <gtest/gtest.h>

#include "lobby/protocol/frame_reader.h"

namespace me::lobby {
namespace {

std::vector<uint8_t> bytes_of(size_t size, uint8_t fill = 0xAB) { return std::vector<uint8_t>(size, fill); }

std::vector<uint8_t> frame_of(const Message& message) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(encode_frame(message, out));
    return out;
}

std::span<const uint8_t> body_of(const std::vector<uint8_t>& frame) {
    return std::span<const uint8_t>(frame).subspan(kFrameHeaderBytes);
}

LobbySnapshot full_snapshot() {
    LobbySnapshot snapshot{7, 99, LobbyType::FriendsOnly, kMaxLobbyMembers, 5, {}, {}};
    for (UserId id = 1; id <= kMaxLobbyMembers; ++id) snapshot.members.push_back(id);
    for (uint32_t i = 0; i < kMaxLobbyDataEntries; ++i)
        snapshot.data.push_back({std::string(kMaxKeyBytes - 3, 'k') + std::to_string(100 + i),
                                 std::string(kMaxValueBytes, 'v')});
    return snapshot;
}

// Every message, with fields at their limits where they have one, survives
// a round trip through a frame unchanged.
TEST(LobbyMessageCodec, EveryMessageRoundTripsThroughOneFrame) {
    const std::vector<Message> messages = {
        Hello{kProtocolVersion, 0xFFFF'FFFF'FFFF'FFFFull},
        CreateLobby{1, LobbyType::Private, kMaxLobbyMembers},
        JoinLobby{2, 1234},
        LeaveLobby{1234},
        FindLobbies{3, 10, {{"game_protocol", "7"}, {"internal_protocol", ""}}},
        RequestLobbyData{4, 77},
        SetLobbyData{5, 77, std::string(kMaxKeyBytes, 'k'), std::string(kMaxValueBytes, 'v')},
        SendChat{77, bytes_of(kMaxChatBytes)},
        InviteUser{6, 77, 88},
        SendPacket{88, kMaxChannel, bytes_of(kMaxPacketBytes)},
        CloseSession{88},
        Welcome{kProtocolVersion, 42},
        LobbyCreatedReply{1, CreateLimitReached, 0},
        LobbyEnterReply{2, 1234, EnterFull},
        full_snapshot(),
        LobbyListReply{3, {{1, 2, 3, 4}, {5, 0, 0, 250}}},
        MemberChanged{77, 88, 0, MemberLeft | MemberKicked},
        OwnerChanged{77, 89},
        LobbyDataChanged{77, "key", ""},
        ChatEntry{77, 88, 0xFFFF'FFFFu, {'K', 'I', 'C', 'K', 1, 0, 0, 0, 5, 0, 0, 0}},
        JoinRequested{77, 88},
        PacketDelivery{88, 0, bytes_of(1)},
        SessionClosed{88},
        PacketUndeliverable{88, PacketNoSharedLobby},
        Error{9, ErrorCode::WrongDirection, std::string(kMaxErrorTextBytes, 'e')},
    };
    ASSERT_EQ(messages.size(), std::variant_size_v<Message>);
    for (const Message& message : messages) {
        const std::vector<uint8_t> frame = frame_of(message);
        const DecodedMessage decoded = decode_body(body_of(frame));
        ASSERT_TRUE(decoded.message) << decoded.error;
        EXPECT_EQ(decoded.message->index(), message.index());
        std::vector<uint8_t> again;
        ASSERT_TRUE(encode_frame(*decoded.message, again));
        EXPECT_EQ(again, frame) << message_name(static_cast<MessageType>(frame[kFrameHeaderBytes]));
    }
}

TEST(LobbyMessageCodec, EncoderRefusesFieldsOutsideTheirLimits) {
    const std::vector<Message> invalid = {
        Hello{kProtocolVersion, 0},
        CreateLobby{1, LobbyType::Public, 0},
        CreateLobby{1, LobbyType::Public, kMaxLobbyMembers + 1},
        CreateLobby{1, static_cast<LobbyType>(3), 4},
        SetLobbyData{5, 77, "", "v"},
        SetLobbyData{5, 77, std::string(kMaxKeyBytes + 1, 'k'), "v"},
        SetLobbyData{5, 77, "k", std::string("a\0b", 3)},
        SendChat{77, {}},
        SendChat{77, bytes_of(kMaxChatBytes + 1)},
        SendPacket{88, -1, bytes_of(1)},
        SendPacket{88, kMaxChannel + 1, bytes_of(1)},
        SendPacket{88, 0, bytes_of(kMaxPacketBytes + 1)},
        FindLobbies{3, 0, {}},
        FindLobbies{3, 1, std::vector<LobbyDataEntry>(kMaxFindFilters + 1, {"k", "v"})},
        LobbyEnterReply{2, 1234, 0},
    };
    for (const Message& message : invalid) {
        std::vector<uint8_t> out = {1, 2, 3};
        EXPECT_FALSE(encode_frame(message, out)) << message.index();
        EXPECT_EQ(out, (std::vector<uint8_t>{1, 2, 3}));
    }
}

std::vector<uint8_t> with_byte(std::vector<uint8_t> body, size_t at, uint8_t value) {
    body.at(at) = value;
    return body;
}

std::vector<uint8_t> body_bytes(const Message& message) {
    const std::vector<uint8_t> frame = frame_of(message);
    return {frame.begin() + kFrameHeaderBytes, frame.end()};
}

TEST(LobbyMessageCodec, DecoderRefusesMalformedBodies) {
    const std::vector<uint8_t> chat = body_bytes(SendChat{77, bytes_of(4)});
    const std::vector<uint8_t> hello = body_bytes(Hello{kProtocolVersion, 42});
    const std::vector<uint8_t> find = body_bytes(FindLobbies{3, 10, {{"a", "b"}}});
    std::vector<uint8_t> chat_trailing = chat;
    chat_trailing.push_back(0);
    std::vector<uint8_t> chat_short = chat;
    chat_short.pop_back();
    // Offsets below count from the type byte: SendChat is type, lobby (8),
    // length (4), data; FindLobbies is type, request (4), max results (2),
    // filter count (2), key length (2), key.
    const struct {
        const char* name;
        const char* why;
        std::vector<uint8_t> body;
    } cases[] = {
        {"empty body", "empty frame", {}},
        {"unknown type", "unknown message type", {200}},
        {"type only", "runs past", {static_cast<uint8_t>(MessageType::Hello)}},
        {"user id of zero", "id of 0", {1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"truncated id", "runs past", {1, 1, 0, 0, 0, 1, 2, 3}},
        {"trailing byte", "trailing bytes", chat_trailing},
        {"data shorter than its length", "runs past", chat_short},
        {"length near 4 GiB", "outside its limits", with_byte(with_byte(chat, 12, 0xFF), 11, 0xFF)},
        {"length over the chat limit", "outside its limits", with_byte(chat, 10, 0x10)},
        {"zero-length chat", "outside its limits", {8, 77, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"lobby type out of range", "outside 0..2", {2, 0, 0, 0, 0, 3, 4, 0, 0, 0}},
        {"max members of zero", "outside 1..250", {2, 0, 0, 0, 0, 2, 0, 0, 0, 0}},
        {"filter count over its limit", "over its limit", with_byte(find, 7, 9)},
        {"filter count beyond the bytes", "runs past", with_byte(find, 7, 2)},
        {"NUL inside a key", "NUL byte", with_byte(find, 11, 0)},
        {"negative channel", "channel -1", {10, 88, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0, 9}},
        {"error code zero", "outside 1..11", {77, 0, 0, 0, 0, 0, 0, 0, 0}},
        {"hello truncated by one byte", "runs past", {hello.begin(), hello.end() - 1}},
    };
    for (const auto& c : cases) {
        const DecodedMessage decoded = decode_body(c.body);
        EXPECT_FALSE(decoded.message) << c.name;
        EXPECT_NE(decoded.error.find(c.why), std::string::npos) << c.name << ": " << decoded.error;
    }
}

TEST(LobbyFrameReader, CutsFramesAcrossArbitrarySplits) {
    std::vector<uint8_t> stream;
    for (uint32_t i = 1; i <= 50; ++i)
        ASSERT_TRUE(encode_frame(SendPacket{i, 0, bytes_of(i * 37, static_cast<uint8_t>(i))}, stream));
    for (size_t piece : {size_t{1}, size_t{3}, size_t{64}, stream.size()}) {
        FrameReader reader;
        UserId expected = 1;
        for (size_t at = 0; at < stream.size(); at += piece) {
            reader.append(std::span<const uint8_t>(stream).subspan(at, std::min(piece, stream.size() - at)));
            for (auto body = reader.next_frame(); !body.empty(); body = reader.next_frame()) {
                const DecodedMessage decoded = decode_body(body);
                ASSERT_TRUE(decoded.message) << decoded.error;
                const auto& packet = std::get<SendPacket>(*decoded.message);
                EXPECT_EQ(packet.receiver, expected);
                EXPECT_EQ(packet.data.size(), expected * 37);
                ++expected;
            }
        }
        EXPECT_EQ(expected, 51u) << "piece " << piece;
        EXPECT_EQ(reader.pending_bytes(), 0u);
        EXPECT_FALSE(reader.failed());
    }
}

TEST(LobbyFrameReader, FailsForGoodOnImpossibleLengths) {
    const struct {
        const char* name;
        std::vector<uint8_t> header;
    } cases[] = {
        {"zero length", {0, 0, 0, 0}},
        {"one over the maximum", {0x01, 0x00, 0x02, 0x00}},
        {"near 4 GiB", {0xFF, 0xFF, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        FrameReader reader;
        reader.append(c.header);
        EXPECT_TRUE(reader.next_frame().empty()) << c.name;
        EXPECT_TRUE(reader.failed()) << c.name;
        std::vector<uint8_t> good;
        ASSERT_TRUE(encode_frame(CloseSession{1}, good));
        reader.append(good);
        EXPECT_TRUE(reader.next_frame().empty()) << c.name;
    }
    FrameReader at_limit;
    at_limit.append(std::vector<uint8_t>{0x00, 0x00, 0x02, 0x00});
    EXPECT_TRUE(at_limit.next_frame().empty());
    EXPECT_FALSE(at_limit.failed()) << "a frame of exactly the maximum waits for its bytes";
}

}  // namespace
}  // namespace me::lobby
