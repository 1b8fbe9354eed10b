#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/lobby_service_link.h"
#include "platform/offline_platform.h"

namespace me::platform {

// The platform with lobbies and peer-to-peer packets through the engine's
// lobby service (platform::lobby_server = "HOST:PORT"); statistics,
// achievements and cloud files stay those of the offline platform. The
// service's messages are read once per frame, when the callbacks run, and
// become the platform's notifications and call results. What the engine
// asks about lobbies (owner, members, attributes, chat entries) is answered
// from the copy of each joined lobby that those messages keep up to date.
class LobbyServicePlatform final : public OfflinePlatform {
public:
    // Chat entries kept per lobby for lobby_chat_entry; older ones are gone.
    static constexpr size_t kKeptChatEntries = 64;
    // Received packets held for the engine; beyond it the oldest are dropped
    // (logged), so a flooding member cannot use up memory.
    static constexpr size_t kMaxHeldPackets = 4096;

    // True when platform::lobby_server names a service.
    static bool configured();

    bool init() override;
    void shutdown() override;

    void activate_invite_dialog(LobbyId lobby) override;

    bool lobbies_available() const override;
    CallHandle create_lobby(LobbyType type, int32_t max_members) override;
    CallHandle join_lobby(LobbyId lobby) override;
    void leave_lobby(LobbyId lobby) override;
    bool is_valid_lobby(LobbyId lobby) const override;
    UserId lobby_owner(LobbyId lobby) override;
    int32_t lobby_member_count(LobbyId lobby) override;
    UserId lobby_member(LobbyId lobby, int32_t index) override;
    std::string lobby_data(LobbyId lobby, std::string_view key) override;
    bool set_lobby_data(LobbyId lobby, std::string_view key, std::string_view value) override;
    bool send_lobby_chat(LobbyId lobby, const void* data, int32_t size) override;
    std::optional<std::vector<uint8_t>> lobby_chat_entry(LobbyId lobby, uint32_t chat_id,
                                                         UserId& sender) override;

    bool send_p2p_packet(UserId remote, const void* data, uint32_t size, int32_t channel) override;
    bool is_p2p_packet_available(uint32_t& size, int32_t channel) override;
    bool read_p2p_packet(void* buffer, uint32_t capacity, uint32_t& size, UserId& remote,
                         int32_t channel) override;
    bool accept_p2p_session(UserId remote) override;
    bool close_p2p_session(UserId remote) override;
    bool p2p_session_state(UserId remote, P2PSessionState& state) override;

protected:
    void pump() override;

private:
    struct LobbyCopy {
        UserId owner = 0;
        std::vector<UserId> members;
        std::map<std::string, std::string, std::less<>> data;
        std::map<uint32_t, std::pair<UserId, std::vector<uint8_t>>> chat;
    };
    struct Packet {
        UserId sender;
        int32_t channel;
        std::vector<uint8_t> bytes;
    };
    enum class CallKind { Create, Join };
    struct PendingCall {
        CallKind kind;
        LobbyId lobby;
    };

    uint32_t take_request();
    LobbyCopy* copy_of(LobbyId lobby);
    bool shares_lobby_with(UserId user) const;
    const Packet* next_packet(int32_t channel) const;
    void fail_pending_calls();
    void lost_the_service();

    void dispatch(const lobby::Message& message);
    // Messages only clients send.
    template <typename ClientMessage>
    void handle(const ClientMessage& message);
    void handle(const lobby::Welcome& welcome);
    void handle(const lobby::LobbyCreatedReply& reply);
    void handle(const lobby::LobbyEnterReply& reply);
    void handle(const lobby::LobbySnapshot& snapshot);
    void handle(const lobby::MemberChanged& change);
    void handle(const lobby::OwnerChanged& change);
    void handle(const lobby::LobbyDataChanged& change);
    void handle(const lobby::ChatEntry& entry);
    void handle(const lobby::JoinRequested& request);
    void handle(const lobby::PacketDelivery& delivery);
    void handle(const lobby::SessionClosed& closed);
    void handle(const lobby::PacketUndeliverable& undeliverable);
    void handle(const lobby::Error& error);

    LobbyServiceLink m_link;
    uint32_t m_next_request = 1;
    std::map<uint32_t, PendingCall> m_pending;
    std::map<LobbyId, LobbyCopy> m_lobbies;
    std::deque<Packet> m_packets;
    std::set<UserId> m_sessions;
    std::vector<UserId> m_friends;
};

}  // namespace me::platform
