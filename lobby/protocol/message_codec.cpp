#include "lobby/protocol/message_codec.h"

#include <type_traits>

#include "lobby/protocol/wire_reader.h"
#include "lobby/protocol/wire_writer.h"

namespace me::lobby {
namespace {

// Each message's fields are described once; the same description writes
// them (Io = WireWriter, const message) and reads them (Io = WireReader).
template <class T, class Io>
using Fields = std::conditional_t<Io::kWriting, const T, T>;

template <class Io>
void data_entry(Io& io, Fields<LobbyDataEntry, Io>& entry) {
    io.text(entry.key, kMaxKeyBytes, false);
    io.text(entry.value, kMaxValueBytes, true);
}

template <class Io>
void fields(Io& io, Fields<Hello, Io>& m) {
    io.u32(m.protocol_version);
    io.id(m.user);
}
template <class Io>
void fields(Io& io, Fields<CreateLobby, Io>& m) {
    io.u32(m.request);
    io.enum8(m.type, 0, 2);
    io.u32(m.max_members);
    io.ranged(m.max_members, 1, kMaxLobbyMembers);
}
template <class Io>
void fields(Io& io, Fields<JoinLobby, Io>& m) {
    io.u32(m.request);
    io.id(m.lobby);
}
template <class Io>
void fields(Io& io, Fields<LeaveLobby, Io>& m) {
    io.id(m.lobby);
}
template <class Io>
void fields(Io& io, Fields<FindLobbies, Io>& m) {
    io.u32(m.request);
    io.u16(m.max_results);
    io.ranged(m.max_results, 1, kMaxFindResults);
    io.list(m.filters, kMaxFindFilters, [](Io& io, auto& entry) { data_entry(io, entry); });
}
template <class Io>
void fields(Io& io, Fields<RequestLobbyData, Io>& m) {
    io.u32(m.request);
    io.id(m.lobby);
}
template <class Io>
void fields(Io& io, Fields<SetLobbyData, Io>& m) {
    io.u32(m.request);
    io.id(m.lobby);
    io.text(m.key, kMaxKeyBytes, false);
    io.text(m.value, kMaxValueBytes, true);
}
template <class Io>
void fields(Io& io, Fields<SendChat, Io>& m) {
    io.id(m.lobby);
    io.bytes(m.data, kMaxChatBytes);
}
template <class Io>
void fields(Io& io, Fields<InviteUser, Io>& m) {
    io.u32(m.request);
    io.id(m.lobby);
    io.id(m.invitee);
}
template <class Io>
void fields(Io& io, Fields<SendPacket, Io>& m) {
    io.id(m.receiver);
    io.channel(m.channel);
    io.bytes(m.data, kMaxPacketBytes);
}
template <class Io>
void fields(Io& io, Fields<CloseSession, Io>& m) {
    io.id(m.remote);
}
template <class Io>
void fields(Io& io, Fields<Welcome, Io>& m) {
    io.u32(m.protocol_version);
    io.id(m.user);
}
template <class Io>
void fields(Io& io, Fields<LobbyCreatedReply, Io>& m) {
    io.u32(m.request);
    io.u32(m.result);
    io.u64(m.lobby);
}
template <class Io>
void fields(Io& io, Fields<LobbyEnterReply, Io>& m) {
    io.u32(m.request);
    io.id(m.lobby);
    io.u32(m.response);
    io.ranged(m.response, EnterSuccess, EnterError);
}
template <class Io>
void fields(Io& io, Fields<LobbySnapshot, Io>& m) {
    io.u32(m.request);
    io.id(m.lobby);
    io.enum8(m.type, 0, 2);
    io.u32(m.max_members);
    io.ranged(m.max_members, 1, kMaxLobbyMembers);
    io.u64(m.owner);
    io.list(m.members, kMaxLobbyMembers, [](Io& io, auto& member) { io.id(member); });
    io.list(m.data, kMaxLobbyDataEntries, [](Io& io, auto& entry) { data_entry(io, entry); });
}
template <class Io>
void fields(Io& io, Fields<LobbyListReply, Io>& m) {
    io.u32(m.request);
    io.list(m.lobbies, kMaxFindResults, [](Io& io, auto& summary) {
        io.id(summary.lobby);
        io.u64(summary.owner);
        io.u32(summary.member_count);
        io.u32(summary.max_members);
    });
}
template <class Io>
void fields(Io& io, Fields<MemberChanged, Io>& m) {
    io.id(m.lobby);
    io.id(m.changed);
    io.u64(m.making_change);
    io.u32(m.state_change);
}
template <class Io>
void fields(Io& io, Fields<OwnerChanged, Io>& m) {
    io.id(m.lobby);
    io.id(m.owner);
}
template <class Io>
void fields(Io& io, Fields<LobbyDataChanged, Io>& m) {
    io.id(m.lobby);
    io.text(m.key, kMaxKeyBytes, false);
    io.text(m.value, kMaxValueBytes, true);
}
template <class Io>
void fields(Io& io, Fields<ChatEntry, Io>& m) {
    io.id(m.lobby);
    io.id(m.sender);
    io.u32(m.chat_id);
    io.bytes(m.data, kMaxChatBytes);
}
template <class Io>
void fields(Io& io, Fields<JoinRequested, Io>& m) {
    io.id(m.lobby);
    io.id(m.inviter);
}
template <class Io>
void fields(Io& io, Fields<PacketDelivery, Io>& m) {
    io.id(m.sender);
    io.channel(m.channel);
    io.bytes(m.data, kMaxPacketBytes);
}
template <class Io>
void fields(Io& io, Fields<SessionClosed, Io>& m) {
    io.id(m.remote);
}
template <class Io>
void fields(Io& io, Fields<PacketUndeliverable, Io>& m) {
    io.id(m.receiver);
    io.u8(m.error);
}
template <class Io>
void fields(Io& io, Fields<Error, Io>& m) {
    io.u32(m.request);
    io.enum16(m.code, 1, static_cast<uint16_t>(ErrorCode::WrongDirection));
    io.text(m.text, kMaxErrorTextBytes, true);
}

template <size_t Index = 0>
bool decode_as(uint8_t type, WireReader& reader, std::optional<Message>& out) {
    if constexpr (Index == std::variant_size_v<Message>) {
        return false;
    } else {
        using M = std::variant_alternative_t<Index, Message>;
        if (static_cast<uint8_t>(M::kType) != type) return decode_as<Index + 1>(type, reader, out);
        M message;
        fields(reader, message);
        if (!reader.failed()) out = std::move(message);
        return true;
    }
}

}  // namespace

bool encode_frame(const Message& message, std::vector<uint8_t>& out) {
    const size_t start = out.size();
    WireWriter writer(out);
    writer.u32(0);
    std::visit(
        [&writer](const auto& m) {
            writer.u8(static_cast<uint8_t>(m.kType));
            fields(writer, m);
        },
        message);
    const size_t body = out.size() - start - kFrameHeaderBytes;
    if (writer.failed() || body > kMaxFrameBytes) {
        out.resize(start);
        return false;
    }
    for (uint32_t i = 0; i < kFrameHeaderBytes; ++i) out[start + i] = static_cast<uint8_t>(body >> (8 * i));
    return true;
}

DecodedMessage decode_body(std::span<const uint8_t> body) {
    if (body.empty()) return {std::nullopt, "empty frame"};
    WireReader reader(body.subspan(1));
    DecodedMessage decoded;
    if (!decode_as(body[0], reader, decoded.message)) {
        decoded.error = "unknown message type " + std::to_string(body[0]);
    } else if (reader.failed()) {
        decoded.error = std::string(message_name(static_cast<MessageType>(body[0]))) + ": " + reader.error();
    } else if (!reader.at_end()) {
        decoded.message.reset();
        decoded.error = std::string(message_name(static_cast<MessageType>(body[0]))) + ": trailing bytes";
    }
    return decoded;
}

}  // namespace me::lobby
