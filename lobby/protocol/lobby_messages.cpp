#include "lobby/protocol/lobby_messages.h"

namespace me::lobby {

MessageType message_type(const Message& message) {
    return std::visit([](const auto& m) { return m.kType; }, message);
}

bool is_client_message(const Message& message) {
    return static_cast<uint8_t>(message_type(message)) < static_cast<uint8_t>(MessageType::Welcome);
}

const char* message_name(MessageType type) {
    switch (type) {
    case MessageType::Hello: return "Hello";
    case MessageType::CreateLobby: return "CreateLobby";
    case MessageType::JoinLobby: return "JoinLobby";
    case MessageType::LeaveLobby: return "LeaveLobby";
    case MessageType::FindLobbies: return "FindLobbies";
    case MessageType::RequestLobbyData: return "RequestLobbyData";
    case MessageType::SetLobbyData: return "SetLobbyData";
    case MessageType::SendChat: return "SendChat";
    case MessageType::InviteUser: return "InviteUser";
    case MessageType::SendPacket: return "SendPacket";
    case MessageType::CloseSession: return "CloseSession";
    case MessageType::Welcome: return "Welcome";
    case MessageType::LobbyCreatedReply: return "LobbyCreatedReply";
    case MessageType::LobbyEnterReply: return "LobbyEnterReply";
    case MessageType::LobbySnapshot: return "LobbySnapshot";
    case MessageType::LobbyListReply: return "LobbyListReply";
    case MessageType::MemberChanged: return "MemberChanged";
    case MessageType::OwnerChanged: return "OwnerChanged";
    case MessageType::LobbyDataChanged: return "LobbyDataChanged";
    case MessageType::ChatEntry: return "ChatEntry";
    case MessageType::JoinRequested: return "JoinRequested";
    case MessageType::PacketDelivery: return "PacketDelivery";
    case MessageType::SessionClosed: return "SessionClosed";
    case MessageType::PacketUndeliverable: return "PacketUndeliverable";
    case MessageType::Error: return "Error";
    }
    return "unknown";
}

}  // namespace me::lobby
