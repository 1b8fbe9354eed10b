#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

#include "fake_lobby_platform.h"
#include "loopback_peer.h"
#include "network/connection_manager.h"
#include "spine_test_environment.h"

namespace me {
namespace {

using test::FakeLobbyPlatform;
using test::FakeLobbyWorld;
using test::RecordingHandler;
using Event = RecordingHandler::Event;

constexpr platform::UserId kUniverse = 0x0110000100000000ULL;
constexpr int32_t kGameProtocol = 7;
const uint32_t kTestType = Message::type_from_text("TEST");

// One engine process: its platform user, connection manager and events.
struct Player {
    Player(FakeLobbyWorld& world, uint32_t account) : platform(world, kUniverse | account), node(account) {
        auto recording = std::make_unique<RecordingHandler>();
        events = recording.get();
        manager.set_handler(std::move(recording));
        manager.set_clock([this] { return clock; });
        manager.start(&platform);
    }
    ~Player() { manager.teardown(); }

    void pump() {
        clock += 16;
        manager.update();
        platform.run_callbacks();
    }

    FakeLobbyPlatform platform;
    ConnectionManager manager;
    RecordingHandler* events = nullptr;
    NodeId node;
    uint32_t clock = 1000;
};

class LobbyTransportTest : public test::SpineTest {
protected:
    Player& add_player(uint32_t account) {
        players.push_back(std::make_unique<Player>(world, account));
        return *players.back();
    }

    void pump(int rounds = 4) {
        for (int i = 0; i < rounds; ++i)
            for (auto& player : players)
                player->pump();
    }

    bool pump_until(const std::function<bool()>& done) {
        for (int i = 0; i < 400; ++i) {
            pump(1);
            if (done())
                return true;
        }
        return false;
    }

    // a owns a lobby that every other player has joined, pings answered.
    platform::LobbyId lobby_of_all(Player& owner) {
        EXPECT_TRUE(owner.manager.lobby().create_lobby(false, 8, kGameProtocol));
        pump(2);
        const platform::LobbyId lobby = owner.manager.lobby().lobby_id();
        for (auto& player : players)
            if (player.get() != &owner) {
                EXPECT_TRUE(player->manager.lobby().join_lobby(lobby, kGameProtocol));
                pump(2);
            }
        EXPECT_TRUE(pump_until([&] { return all_established(); }));
        return lobby;
    }

    bool all_established() {
        for (auto& player : players)
            for (auto& other : players)
                if (other != player) {
                    Connection* connection = player->manager.find(other->node);
                    if (connection == nullptr || !connection->established)
                        return false;
                }
        return true;
    }

    static bool send_test(Player& from, NodeId to, uint8_t value) {
        if (from.manager.create_oneshot(to, kTestType) == false)
            return false;
        from.manager.outgoing(to)->write_u8(value);
        return from.manager.send(to);
    }

    // What a lobby member would write to forge a kick.
    static std::vector<uint8_t> kick_bytes(NodeId node, NetworkResult reason) {
        std::vector<uint8_t> bytes = {'K', 'I', 'C', 'K'};
        for (int32_t value : {node, static_cast<int32_t>(reason)})
            for (int i = 0; i < 4; ++i)
                bytes.push_back(static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * i)));
        return bytes;
    }

    FakeLobbyWorld world;
    std::vector<std::unique_ptr<Player>> players;
};

TEST_F(LobbyTransportTest, CreatingAndJoiningMakesMembersOfEveryoneAndMessagesWaitForThePing) {
    Player& a = add_player(11);
    Player& b = add_player(12);
    ASSERT_TRUE(a.manager.lobby().create_lobby(true, 4, kGameProtocol));
    EXPECT_EQ(a.manager.mode(), ConnectionManager::Lobby);
    EXPECT_EQ(a.manager.lobby().state(), LobbyTransport::Creating);
    EXPECT_FALSE(a.manager.lobby().create_lobby(true, 4, kGameProtocol));
    EXPECT_TRUE(logged("Tried to create a lobby, but the manager is already initialized"));
    pump(1);
    const platform::LobbyId lobby = a.manager.lobby().lobby_id();
    ASSERT_NE(lobby, 0u);
    EXPECT_TRUE(a.events->saw({"created", 11, NetworkResult::Ok, lobby}));
    EXPECT_TRUE(a.manager.lobby().is_lobby_owner());
    EXPECT_EQ(a.manager.own_node_id(), 11);
    EXPECT_EQ(world.lobbies[lobby].data["game_protocol"], "7");
    EXPECT_EQ(world.lobbies[lobby].data["internal_protocol"], "4");

    ASSERT_TRUE(b.manager.lobby().join_lobby(lobby, kGameProtocol));
    pump(1);
    EXPECT_TRUE(b.events->saw({"joined", 12, NetworkResult::Ok, lobby, false}));
    EXPECT_TRUE(b.events->saw({"node_joined", 11, NetworkResult::Ok, 0, true}));
    EXPECT_TRUE(a.events->saw({"node_joined", 12, NetworkResult::Ok, 0, false}));
    EXPECT_FALSE(b.manager.lobby().is_lobby_owner());
    EXPECT_EQ(a.manager.direction_of(12), Connection::Lobby);
    EXPECT_EQ(b.manager.game_protocol_of(11), kGameProtocol);

    // Sent before any ping reply: the messages queue behind it, in order.
    for (uint8_t value : {1, 2, 3})
        ASSERT_TRUE(send_test(b, 11, value));
    EXPECT_EQ(b.manager.find(11)->send_queue.size(), 3u);
    std::vector<uint8_t> received;
    a.events->on_message_hook = [&](NodeId node) {
        uint8_t value = 0;
        a.manager.incoming(node)->read_u8(value);
        received.push_back(value);
    };
    ASSERT_TRUE(pump_until([&] { return received.size() == 3; }));
    EXPECT_EQ(received, (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_TRUE(logged("Received HELO response from lobby member 11, using the connection to communicate with the "
                       "member"));
    EXPECT_TRUE(logged("Sending HELO ping to lobby member 12"));

    // A member's own connection is pinged like any other and then carries
    // messages to itself.
    ASSERT_TRUE(send_test(a, 11, 4));
    ASSERT_TRUE(pump_until([&] { return received.size() == 4; }));
    EXPECT_EQ(received.back(), 4);
}

// Lobby packets are counted like socket bytes: what one member hands to the
// platform for another, that member reads.
TEST_F(LobbyTransportTest, ByteCountersCountEveryPacketBothWays) {
    Player& a = add_player(41);
    Player& b = add_player(42);
    lobby_of_all(a);
    pump(5);
    EXPECT_GT(a.manager.bytes_sent(), 0u);
    EXPECT_GT(b.manager.bytes_received(), 0u);
    size_t received = 0;
    a.events->on_message_hook = [&](NodeId) { ++received; };
    for (uint8_t value : {1, 2}) {
        const uint64_t sent_before = b.manager.bytes_sent();
        const uint64_t received_before = a.manager.bytes_received();
        ASSERT_TRUE(send_test(b, 41, value));
        ASSERT_TRUE(pump_until([&] { return received == value; }));
        const uint64_t grew = b.manager.bytes_sent() - sent_before;
        EXPECT_GT(grew, 1u) << int(value);
        EXPECT_LT(grew, 32u) << int(value);
        EXPECT_EQ(a.manager.bytes_received() - received_before, grew) << int(value);
    }
}

struct JoinFailure {
    const char* name;
    int32_t joiner_protocol;
    bool lobby_exists;
    int32_t max_members;
    NetworkResult reason;
    const char* line;
};

class LobbyJoinFailureTest : public LobbyTransportTest, public ::testing::WithParamInterface<JoinFailure> {};

TEST_P(LobbyJoinFailureTest, FailsWithItsReasonAndReturnsToNoMode) {
    const JoinFailure& failure = GetParam();
    Player& a = add_player(21);
    Player& b = add_player(22);
    ASSERT_TRUE(a.manager.lobby().create_lobby(false, failure.max_members, kGameProtocol));
    pump(1);
    const platform::LobbyId lobby = failure.lobby_exists ? a.manager.lobby().lobby_id() : 999;
    ASSERT_TRUE(b.manager.lobby().join_lobby(lobby, failure.joiner_protocol));
    pump(2);
    EXPECT_TRUE(b.events->saw({"join_failed", kNoNode, failure.reason}));
    EXPECT_EQ(b.events->count("joined"), 0u);
    EXPECT_EQ(b.manager.mode(), ConnectionManager::None);
    EXPECT_EQ(b.manager.connection_count(), 0u);
    EXPECT_EQ(a.manager.find(22), nullptr);
    EXPECT_TRUE(logged(failure.line)) << failure.line;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LobbyJoinFailureTest,
    ::testing::Values(
        JoinFailure{"ProtocolMismatch", 8, true, 4, NetworkResult::Protocol,
                    "Lobby attribute 'game_protocol' value mismatch, expected 8, got 7"},
        JoinFailure{"Missing", kGameProtocol, false, 4, NetworkResult::NotExists,
                    "Lobby join failed with error code 2"},
        JoinFailure{"Full", kGameProtocol, true, 1, NetworkResult::Full, "Lobby join failed with error code 4"}),
    [](const ::testing::TestParamInfo<JoinFailure>& info) { return info.param.name; });

struct MemberChange {
    const char* name;
    uint32_t flags;
    NetworkResult reason;
};

class LobbyMemberChangeTest : public LobbyTransportTest, public ::testing::WithParamInterface<MemberChange> {};

TEST_P(LobbyMemberChangeTest, TranslatesThePlatformFlagsToAReason) {
    Player& a = add_player(31);
    add_player(32);
    const platform::LobbyId lobby = lobby_of_all(a);
    world.remove_member(lobby, kUniverse | 32, GetParam().flags);
    pump(1);
    EXPECT_TRUE(a.events->saw({"node_left", 32, GetParam().reason}));
    EXPECT_EQ(a.manager.find(32), nullptr);
    ASSERT_FALSE(a.platform.closed_sessions.empty());
    EXPECT_EQ(a.platform.closed_sessions.back(), kUniverse | 32);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, LobbyMemberChangeTest,
    ::testing::Values(MemberChange{"Left", platform::MemberLeft, NetworkResult::Leave},
                      MemberChange{"Disconnected", platform::MemberDisconnected, NetworkResult::Disconnect},
                      MemberChange{"Kicked", platform::MemberKicked | platform::MemberDisconnected,
                                   NetworkResult::Kick},
                      MemberChange{"BannedWinsOverKicked", platform::MemberBanned | platform::MemberKicked,
                                   NetworkResult::Deny}),
    [](const ::testing::TestParamInfo<MemberChange>& info) { return info.param.name; });

TEST_F(LobbyTransportTest, TheOwnerLeavingMigratesOwnershipToTheNextMember) {
    Player& a = add_player(41);
    Player& b = add_player(42);
    Player& c = add_player(43);
    lobby_of_all(a);
    a.manager.lobby().leave_lobby(NetworkResult::Leave);
    EXPECT_TRUE(a.events->saw({"node_left", 41, NetworkResult::Leave}));
    EXPECT_EQ(a.manager.mode(), ConnectionManager::None);
    EXPECT_EQ(a.manager.own_node_id(), kNoNode);
    pump(2);
    for (Player* member : {&b, &c}) {
        EXPECT_TRUE(member->events->saw({"node_left", 41, NetworkResult::Leave}));
        EXPECT_TRUE(member->events->saw({"migration", 42, NetworkResult::Ok}));
    }
    EXPECT_TRUE(b.manager.lobby().is_lobby_owner());
    EXPECT_FALSE(c.manager.lobby().is_lobby_owner());
    EXPECT_TRUE(logged("Lobby owner has migrated to user with node id = 42"));
    EXPECT_TRUE(b.manager.lobby().kick(43, NetworkResult::Kick));
}

TEST_F(LobbyTransportTest, AKickFromTheOwnerIsObeyedAndFromAnyoneElseIgnored) {
    Player& a = add_player(51);
    Player& b = add_player(52);
    Player& c = add_player(53);
    const platform::LobbyId lobby = lobby_of_all(a);

    EXPECT_FALSE(b.manager.lobby().kick(53, NetworkResult::Kick));
    EXPECT_TRUE(logged("Tried to kick another lobby member while not the host"));
    world.post_chat(lobby, b.platform.local_user_id(), kick_bytes(53, NetworkResult::Kick));
    pump(2);
    EXPECT_EQ(c.manager.mode(), ConnectionManager::Lobby);
    EXPECT_NE(a.manager.find(53), nullptr);
    EXPECT_TRUE(logged("Ignoring the kick of node 53 sent by node 52, who is not the lobby owner"));

    EXPECT_FALSE(a.manager.lobby().kick(99, NetworkResult::Kick));
    EXPECT_TRUE(logged("Tried to kick lobby member with node id 99 while no such node is connected"));
    ASSERT_TRUE(a.manager.lobby().kick(53, NetworkResult::Deny));
    EXPECT_TRUE(a.events->saw({"node_left", 53, NetworkResult::Deny}));
    pump(2);
    EXPECT_TRUE(c.events->saw({"node_left", 53, NetworkResult::Deny}));
    EXPECT_EQ(c.manager.mode(), ConnectionManager::None);
    EXPECT_TRUE(b.events->saw({"node_left", 53, NetworkResult::Deny}));
    EXPECT_EQ(b.manager.find(53), nullptr);
    EXPECT_EQ(b.events->count("node_left"), 1u);
}

TEST_F(LobbyTransportTest, ScriptRefusalsLeaveOrKick) {
    Player& a = add_player(61);
    Player& b = add_player(62);
    a.events->lobby_answers["node_joined"] = NetworkResult::Full;
    const platform::LobbyId lobby = [&] {
        EXPECT_TRUE(a.manager.lobby().create_lobby(false, 8, kGameProtocol));
        pump(1);
        return a.manager.lobby().lobby_id();
    }();
    ASSERT_TRUE(b.manager.lobby().join_lobby(lobby, kGameProtocol));
    pump(3);
    EXPECT_TRUE(logged("We are the host and refused the lobby join of user with node id = 62 with reason 3, kicking "
                       "the user"));
    EXPECT_TRUE(b.events->saw({"node_left", 62, NetworkResult::Full}));
    EXPECT_EQ(b.manager.mode(), ConnectionManager::None);

    b.events->lobby_answers["joined"] = NetworkResult::Deny;
    ASSERT_TRUE(b.manager.lobby().join_lobby(lobby, kGameProtocol));
    pump(2);
    EXPECT_TRUE(logged("Lobby join callback refused the lobby join, leaving it again"));
    EXPECT_TRUE(b.events->saw({"node_left", 62, NetworkResult::Deny}));
    EXPECT_EQ(b.manager.mode(), ConnectionManager::None);

    Player& c = add_player(63);
    c.events->lobby_answers["created"] = NetworkResult::System;
    ASSERT_TRUE(c.manager.lobby().create_lobby(false, 8, kGameProtocol));
    pump(1);
    EXPECT_TRUE(logged("Lobby create callback refused the lobby creation with result 1, leaving it again"));
    EXPECT_EQ(c.manager.mode(), ConnectionManager::None);
    EXPECT_EQ(world.lobbies.count(lobby + 1), 0u);

    c.platform.fail_creation = true;
    ASSERT_TRUE(c.manager.lobby().create_lobby(false, 8, kGameProtocol));
    pump(1);
    EXPECT_TRUE(c.events->saw({"create_failed", kNoNode, NetworkResult::System}));
    EXPECT_TRUE(logged("Lobby create failed with error code 2"));
}

TEST_F(LobbyTransportTest, ALobbyCreatedAfterTheScriptGaveUpIsLeftAgain) {
    Player& a = add_player(65);
    ASSERT_TRUE(a.manager.lobby().create_lobby(false, 8, kGameProtocol));
    ASSERT_EQ(world.lobbies.size(), 1u);
    a.manager.lobby().leave_lobby(NetworkResult::Leave);
    EXPECT_EQ(a.manager.mode(), ConnectionManager::None);
    pump(1);
    EXPECT_TRUE(world.lobbies.empty());
    EXPECT_EQ(a.events->count("created"), 0u);
    EXPECT_EQ(a.events->count("node_left"), 0u);
}

TEST_F(LobbyTransportTest, InvitationsFollowTheInvitationMode) {
    Player& a = add_player(71);
    const char* arguments[] = {"quillmoor", "game", "+connect_lobby", "123", "/connect_lobby", "x"};
    a.manager.lobby().accept_command_line(6, const_cast<char**>(arguments));
    EXPECT_EQ(a.manager.lobby().delayed_invitation(), 123u);
    a.platform.dispatcher().post(platform::GameLobbyJoinRequested{456, 0});
    pump(1);
    EXPECT_EQ(a.manager.lobby().delayed_invitation(), 456u);
    EXPECT_TRUE(logged("Delaying invitation to lobby 456"));
    EXPECT_EQ(a.events->count("invitation"), 0u);

    a.manager.lobby().set_invitation_mode(LobbyTransport::AcceptInvitations);
    EXPECT_TRUE(a.events->saw({"invitation", kNoNode, NetworkResult::Ok, 456}));
    EXPECT_EQ(a.manager.lobby().delayed_invitation(), 0u);

    a.manager.lobby().set_invitation_mode(LobbyTransport::DiscardInvitations);
    a.platform.dispatcher().post(platform::GameLobbyJoinRequested{789, 0});
    a.platform.dispatcher().post(platform::GameLobbyJoinRequested{0, 0});
    pump(1);
    EXPECT_TRUE(logged("Discarding invitation to lobby 789"));
    EXPECT_EQ(a.events->count("invitation"), 1u);
    a.manager.lobby().set_invitation_mode(LobbyTransport::AcceptInvitations);
    EXPECT_EQ(a.events->count("invitation"), 1u);
}

TEST_F(LobbyTransportTest, BadPacketsAreDroppedOrDropTheirSender) {
    Player& a = add_player(81);
    add_player(82);
    add_player(83);
    lobby_of_all(a);
    // A frame whose length is shorter than its own header.
    world.inboxes[a.platform.local_user_id()].push_back({kUniverse | 83, {'A', 'T', 'A', 'D', 0x00, 0x02}});
    pump(1);
    EXPECT_TRUE(logged("warning: Error processing incoming message from Steam, 6 bytes, node id 83"));
    EXPECT_TRUE(a.events->saw({"node_left", 83, NetworkResult::Protocol}));
    EXPECT_EQ(a.manager.find(83), nullptr);

    const platform::UserId b_user = kUniverse | 82;
    world.inboxes[a.platform.local_user_id()].push_back({kUniverse | 99, {1, 2, 3}});
    pump(1);
    EXPECT_TRUE(logged("Received incoming message 3 bytes large from Steam, but the sender with Steam id " +
                       std::to_string(kUniverse | 99) + " is not a member of the lobby"));
    world.inboxes[a.platform.local_user_id()].push_back({b_user, std::vector<uint8_t>(1500, 0)});
    pump(1);
    EXPECT_TRUE(logged("Received incoming message 1500 bytes large from Steam, node id 82. Messages can be only "
                       "1024 or less bytes large. Disconnecting"));
    // As owner, a drops the scheduled member by kicking it.
    EXPECT_TRUE(a.events->saw({"node_left", 82, NetworkResult::System}));
    EXPECT_EQ(a.manager.find(82), nullptr);
}

TEST_F(LobbyTransportTest, AMemberWhoseSendFailsLeavesTheLobby) {
    Player& a = add_player(91);
    Player& b = add_player(92);
    lobby_of_all(a);
    b.platform.fail_sends = true;
    EXPECT_FALSE(send_test(b, 91, 5));
    EXPECT_TRUE(logged("Failed to send a message of kind 0 and type TEST on connection to node id 91"));
    pump(1);
    EXPECT_TRUE(b.events->saw({"node_left", 92, NetworkResult::System}));
    EXPECT_EQ(b.manager.mode(), ConnectionManager::None);
}

TEST_F(LobbyTransportTest, LatencySimulationBlocksLobbySends) {
    Player& a = add_player(95);
    Player& b = add_player(96);
    lobby_of_all(a);
    b.manager.set_latency_simulation(50, 50);
    pump(1);
    EXPECT_FALSE(send_test(b, 95, 1));
    EXPECT_TRUE(logged("Sending message of kind 0 and type TEST on connection to node id 95 has blocked. This is not "
                       "supported in LOBBY mode"));
}

TEST_F(LobbyTransportTest, SessionStateComesFromThePlatform) {
    Player& a = add_player(97);
    Player& b = add_player(98);
    lobby_of_all(a);
    Connection* member = a.manager.find(98);
    ASSERT_NE(member, nullptr);
    ASSERT_TRUE(send_test(b, 97, 1));
    ASSERT_TRUE(a.manager.lobby().refresh_session_state(*member));
    EXPECT_TRUE(member->session.active);
    EXPECT_TRUE(member->session.using_relay);
    a.manager.lobby().invite_friends();
    EXPECT_EQ(a.platform.invite_dialogs, (std::vector<platform::LobbyId>{a.manager.lobby().lobby_id()}));
}

}  // namespace
}  // namespace me
