#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>
#include <thread>

#include "lobby/protocol/message_codec.h"
#include "redis_process.h"
#include "service_process.h"
#include "test_client.h"

namespace me::lobby::test {
namespace {

// Every case runs against one in-memory process, and against two processes
// sharing one Redis, with users spread over both by the parity of their id.
class LobbyService : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        if (!GetParam()) {
            m_services.push_back(std::make_unique<ServiceProcess>());
        } else {
            const std::string redis_server = find_program("redis-server");
            if (redis_server.empty()) GTEST_SKIP() << "redis-server is not installed: the shared-Redis case is skipped";
            m_redis = std::make_unique<RedisProcess>(redis_server.c_str());
            ASSERT_NE(m_redis->port(), 0) << "redis-server did not start";
            const std::string address = "127.0.0.1:" + std::to_string(m_redis->port());
            for (int i = 0; i < 2; ++i)
                m_services.push_back(std::make_unique<ServiceProcess>(std::vector<std::string>{"--redis", address}));
        }
        for (const auto& service : m_services) ASSERT_NE(service->port(), 0) << service->log();
    }

    uint16_t port_for(UserId user) const { return m_services[user % m_services.size()]->port(); }

    std::string logs() const {
        std::string all;
        for (const auto& service : m_services) all += service->log();
        return all;
    }

    std::unique_ptr<TestClient> client(UserId user, int receive_buffer = 0) {
        auto c = std::make_unique<TestClient>(port_for(user), receive_buffer);
        EXPECT_TRUE(c->hello(user)) << "user " << user;
        return c;
    }

    // The owner creates a lobby and the others join it, in order; every
    // earlier member's entry notices are consumed.
    LobbyId lobby_of(std::vector<TestClient*> members, LobbyType type = LobbyType::Public, uint32_t max = 8) {
        members[0]->send(CreateLobby{1, type, max});
        const LobbyId lobby = members[0]->next<LobbySnapshot>().lobby;
        EXPECT_EQ(members[0]->next<LobbyCreatedReply>().lobby, lobby);
        for (size_t i = 1; i < members.size(); ++i) {
            members[i]->send(JoinLobby{2, lobby});
            EXPECT_EQ(members[i]->next<LobbySnapshot>().members.size(), i + 1);
            EXPECT_EQ(members[i]->next<LobbyEnterReply>().response, EnterSuccess);
            for (size_t j = 0; j < i; ++j) EXPECT_EQ(members[j]->next<MemberChanged>().changed, members[i]->user());
        }
        return lobby;
    }

    std::unique_ptr<RedisProcess> m_redis;  // started before the services, stopped after them
    std::vector<std::unique_ptr<ServiceProcess>> m_services;
};

TEST_P(LobbyService, CreateSetDataFindAndJoin) {
    auto owner = client(10);
    auto joiner = client(20);
    const LobbyId lobby = lobby_of({owner.get()});
    owner->send(SetLobbyData{3, lobby, "game_protocol", "7"});
    EXPECT_EQ(owner->next<LobbyDataChanged>().value, "7");

    joiner->send(FindLobbies{4, 10, {{"game_protocol", "7"}}});
    const LobbyListReply found = joiner->next<LobbyListReply>();
    ASSERT_EQ(found.lobbies.size(), 1u);
    EXPECT_EQ(found.lobbies[0].lobby, lobby);
    EXPECT_EQ(found.lobbies[0].owner, 10u);
    joiner->send(FindLobbies{5, 10, {{"game_protocol", "8"}}});
    EXPECT_TRUE(joiner->next<LobbyListReply>().lobbies.empty());

    joiner->send(JoinLobby{6, lobby});
    const LobbySnapshot snapshot = joiner->next<LobbySnapshot>();
    EXPECT_EQ(snapshot.owner, 10u);
    EXPECT_EQ(snapshot.members, (std::vector<UserId>{10, 20}));
    ASSERT_EQ(snapshot.data.size(), 1u);
    EXPECT_EQ(snapshot.data[0].key, "game_protocol");
    EXPECT_EQ(joiner->next<LobbyEnterReply>().request, 6u);
    const MemberChanged entered = owner->next<MemberChanged>();
    EXPECT_EQ(entered.changed, 20u);
    EXPECT_EQ(entered.state_change, MemberEntered);

    joiner->send(SetLobbyData{7, lobby, "game_protocol", "9"});
    const Error refused = joiner->next<Error>();
    EXPECT_EQ(refused.code, ErrorCode::NotOwner);
    EXPECT_EQ(refused.request, 7u);
}

TEST_P(LobbyService, JoinAnswersEachRefusal) {
    auto owner = client(1);
    auto second = client(2);
    auto third = client(3);
    const LobbyId full = lobby_of({owner.get(), second.get()}, LobbyType::Public, 2);
    const LobbyId hidden = lobby_of({second.get()}, LobbyType::Private);
    const struct {
        const char* name;
        LobbyId lobby;
        uint32_t response;
    } cases[] = {
        {"missing lobby", 999999, EnterDoesntExist},
        {"full lobby", full, EnterFull},
        {"private lobby without invitation", hidden, EnterNotAllowed},
    };
    for (const auto& c : cases) {
        third->send(JoinLobby{42, c.lobby});
        EXPECT_EQ(third->next<LobbyEnterReply>().response, c.response) << c.name;
    }
    second->send(InviteUser{8, hidden, 3});
    const JoinRequested invitation = third->next<JoinRequested>();
    EXPECT_EQ(invitation.lobby, hidden);
    EXPECT_EQ(invitation.inviter, 2u);
    third->send(JoinLobby{43, hidden});
    third->next<LobbySnapshot>();
    EXPECT_EQ(third->next<LobbyEnterReply>().response, EnterSuccess);
    EXPECT_EQ(second->next<MemberChanged>().changed, 3u);
    second->send(InviteUser{9, hidden, 777});
    EXPECT_EQ(second->next<Error>().code, ErrorCode::NoSuchUser);
}

TEST_P(LobbyService, OwnershipPassesInJoinOrderOnLeaveAndDisconnect) {
    auto a = client(100);
    auto b = client(200);
    auto c = client(300);
    const LobbyId lobby = lobby_of({a.get(), b.get(), c.get()});
    a->send(LeaveLobby{lobby});
    for (TestClient* member : {b.get(), c.get()}) {
        EXPECT_EQ(member->next<OwnerChanged>().owner, 200u);
        const MemberChanged left = member->next<MemberChanged>();
        EXPECT_EQ(left.changed, 100u);
        EXPECT_EQ(left.state_change, MemberLeft);
    }
    b->disconnect();
    EXPECT_EQ(c->next<OwnerChanged>().owner, 300u);
    const MemberChanged gone = c->next<MemberChanged>();
    EXPECT_EQ(gone.changed, 200u);
    EXPECT_EQ(gone.state_change, MemberDisconnected);
    c->send(RequestLobbyData{5, lobby});
    const LobbySnapshot snapshot = c->next<LobbySnapshot>();
    EXPECT_EQ(snapshot.owner, 300u);
    EXPECT_EQ(snapshot.members, (std::vector<UserId>{300}));
    c->send(LeaveLobby{lobby});
    c->send(RequestLobbyData{6, lobby});
    EXPECT_EQ(c->next<Error>().code, ErrorCode::NoSuchLobby) << "an empty lobby is gone";
}

TEST_P(LobbyService, ChatReachesEveryMemberInOneOrder) {
    auto a = client(1);
    auto b = client(2);
    const LobbyId lobby = lobby_of({a.get(), b.get()});
    constexpr int kEach = 50;
    for (int i = 0; i < kEach; ++i) {
        a->send(SendChat{lobby, {'a', static_cast<uint8_t>(i)}});
        b->send(SendChat{lobby, {'b', static_cast<uint8_t>(i)}});
    }
    std::vector<std::vector<uint8_t>> seen[2];
    TestClient* members[] = {a.get(), b.get()};
    for (int m = 0; m < 2; ++m) {
        int next_from[2] = {0, 0};
        for (uint32_t id = 1; id <= 2 * kEach; ++id) {
            const ChatEntry entry = members[m]->next<ChatEntry>();
            EXPECT_EQ(entry.chat_id, id);
            ASSERT_EQ(entry.data.size(), 2u);
            const int from = entry.data[0] == 'a' ? 0 : 1;
            EXPECT_EQ(entry.sender, from == 0 ? 1u : 2u);
            EXPECT_EQ(entry.data[1], next_from[from]++) << "each sender's entries keep their order";
            seen[m].push_back(entry.data);
        }
    }
    EXPECT_EQ(seen[0], seen[1]) << "both members see the same interleaving";
}

TEST_P(LobbyService, PacketsAreRelayedInOrderOnlyBetweenMembers) {
    auto a = client(1);
    auto b = client(2);
    auto outsider = client(3);
    lobby_of({a.get(), b.get()});
    constexpr uint32_t kPackets = 2000;
    for (uint32_t i = 0; i < kPackets; ++i) {
        std::vector<uint8_t> data(1 + i % 1024, static_cast<uint8_t>(i));
        data[0] = static_cast<uint8_t>(i >> 8);
        a->send(SendPacket{2, static_cast<int32_t>(i % 3), data});
    }
    for (uint32_t i = 0; i < kPackets; ++i) {
        const PacketDelivery packet = b->next<PacketDelivery>();
        ASSERT_EQ(packet.data.size(), 1 + i % 1024) << i;
        EXPECT_EQ(packet.data[0], static_cast<uint8_t>(i >> 8));
        EXPECT_EQ(packet.sender, 1u);
        EXPECT_EQ(packet.channel, static_cast<int32_t>(i % 3));
    }
    outsider->send(SendPacket{2, 0, {1}});
    EXPECT_EQ(outsider->next<PacketUndeliverable>().error, PacketNoSharedLobby);
    outsider->send(SendPacket{99, 0, {1}});
    EXPECT_EQ(outsider->next<PacketUndeliverable>().error, PacketReceiverOffline);
    a->send(CloseSession{2});
    EXPECT_EQ(b->next<SessionClosed>().remote, 1u);
    EXPECT_FALSE(b->receive(200)) << "the outsider's packet never arrived";
}

std::vector<uint8_t> frame(const Message& message) {
    std::vector<uint8_t> out;
    encode_frame(message, out);
    return out;
}

// Each bad input ends only its own connection, with an Error naming why,
// and a member of the same lobby sees it leave.
TEST_P(LobbyService, BadInputDropsOnlyTheSender) {
    const struct {
        const char* name;
        bool says_hello;
        std::vector<uint8_t> bytes;
        ErrorCode code;
    } cases[] = {
        {"frame length near 4 GiB", true, {0xFF, 0xFF, 0xFF, 0xFF, 1}, ErrorCode::Malformed},
        {"empty frame", true, {0, 0, 0, 0}, ErrorCode::Malformed},
        {"unknown type", true, {1, 0, 0, 0, 0xEE}, ErrorCode::Malformed},
        {"truncated fields", true, {3, 0, 0, 0, 3, 1, 2}, ErrorCode::Malformed},
        {"service message from a client", true, frame(OwnerChanged{1, 2}), ErrorCode::WrongDirection},
        {"request before hello", false, frame(CreateLobby{1, LobbyType::Public, 4}), ErrorCode::NotWelcomed},
        {"protocol mismatch", false, frame(Hello{kProtocolVersion + 1, 50}), ErrorCode::ProtocolMismatch},
        {"user already connected", false, frame(Hello{kProtocolVersion, 60}), ErrorCode::UserInUse},
    };
    auto watcher = client(60);
    for (const auto& c : cases) {
        TestClient bad(port_for(51));
        LobbyId lobby = 0;
        if (c.says_hello) {
            ASSERT_TRUE(bad.hello(50)) << c.name;
            lobby = lobby_of({&bad, watcher.get()});
        }
        bad.send_raw(c.bytes);
        const Error error = bad.next<Error>();
        EXPECT_EQ(error.code, c.code) << c.name << ": " << error.text;
        EXPECT_TRUE(bad.closed_by_service()) << c.name;
        if (lobby != 0) {
            watcher->next<OwnerChanged>();
            EXPECT_EQ(watcher->next<MemberChanged>().state_change, MemberDisconnected) << c.name;
            watcher->send(LeaveLobby{lobby});
        }
    }
    EXPECT_NE(logs().find("malformed"), std::string::npos);
    auto after = client(70);
    after->send(CreateLobby{1, LobbyType::Public, 4});
    EXPECT_EQ(after->next<LobbySnapshot>().owner, 70u) << "the service still serves";
}

TEST_P(LobbyService, ClientThatNeverReadsIsCutOffAlone) {
    auto sender = client(1);
    auto sleeper = client(2, 4096);
    auto bystander = client(3);
    lobby_of({sender.get(), sleeper.get(), bystander.get()});
    const std::vector<uint8_t> data(kMaxPacketBytes, 0x5A);
    std::vector<uint8_t> burst;
    for (int i = 0; i < 64; ++i) encode_frame(SendPacket{2, 0, data}, burst);
    for (int round = 0; round < 16; ++round) sender->send_raw(burst);  // 16 MiB towards the sleeper
    // Packets that reach the service after the cut are answered as undeliverable.
    std::optional<Message> notice = sender->receive(10000);
    while (notice && std::holds_alternative<PacketUndeliverable>(*notice)) {
        EXPECT_EQ(std::get<PacketUndeliverable>(*notice).error, PacketReceiverOffline);
        notice = sender->receive(10000);
    }
    ASSERT_TRUE(notice && std::holds_alternative<MemberChanged>(*notice));
    const MemberChanged gone = std::get<MemberChanged>(*notice);
    EXPECT_EQ(gone.changed, 2u);
    EXPECT_EQ(gone.state_change, MemberDisconnected);
    EXPECT_EQ(bystander->next<MemberChanged>().changed, 2u);
    EXPECT_NE(logs().find("is not reading"), std::string::npos);
    sender->send(SendPacket{3, 0, {7}});
    EXPECT_EQ(bystander->next<PacketDelivery>().data, (std::vector<uint8_t>{7}));
}

TEST_P(LobbyService, LimitsPerClient) {
    auto greedy = client(1);
    for (uint32_t i = 0; i < 8; ++i) {
        greedy->send(CreateLobby{i, LobbyType::Public, 2});
        greedy->next<LobbySnapshot>();
        EXPECT_EQ(greedy->next<LobbyCreatedReply>().result, CreateOk);
    }
    greedy->send(CreateLobby{9, LobbyType::Public, 2});
    const LobbyCreatedReply refused = greedy->next<LobbyCreatedReply>();
    EXPECT_EQ(refused.result, CreateLimitReached);
    EXPECT_EQ(refused.lobby, 0u);

    auto owner = client(2);
    const LobbyId lobby = lobby_of({owner.get()});
    for (uint32_t i = 0; i < kMaxLobbyDataEntries; ++i) {
        owner->send(SetLobbyData{i, lobby, "key" + std::to_string(i), "v"});
        owner->next<LobbyDataChanged>();
    }
    owner->send(SetLobbyData{99, lobby, "one_too_many", "v"});
    EXPECT_EQ(owner->next<Error>().code, ErrorCode::LimitReached);
    owner->send(SetLobbyData{100, lobby, "key0", ""});
    EXPECT_EQ(owner->next<LobbyDataChanged>().value, "") << "removing a key is always allowed";
}

// Many clients sending random but well-formed requests (lobby ids from a
// small range so that most hit real lobbies, members leaving and coming back
// mid-way) never crash the service, and whatever it answers is well formed.
TEST_P(LobbyService, RandomRequestsLeaveTheServiceSound) {
    std::mt19937 random(1234);
    auto pick = [&random](uint32_t below) { return static_cast<uint32_t>(random() % below); };
    std::vector<std::unique_ptr<TestClient>> clients;
    for (UserId user = 1; user <= 12; ++user) clients.push_back(client(user));
    for (int step = 0; step < 3000; ++step) {
        const size_t who = pick(12);
        const LobbyId lobby = 1 + pick(20);
        const UserId other = 1 + pick(14);
        const std::vector<uint8_t> bytes(1 + pick(64), static_cast<uint8_t>(step));
        const Message requests[] = {
            CreateLobby{1, static_cast<LobbyType>(pick(3)), 1 + pick(5)},
            JoinLobby{2, lobby},
            LeaveLobby{lobby},
            FindLobbies{3, static_cast<uint16_t>(1 + pick(10)), {{"k" + std::to_string(pick(3)), ""}}},
            RequestLobbyData{4, lobby},
            SetLobbyData{5, lobby, "k" + std::to_string(pick(70)), pick(4) == 0 ? "" : "v"},
            SendChat{lobby, bytes},
            InviteUser{6, lobby, other},
            SendPacket{other, static_cast<int32_t>(pick(3)), bytes},
            CloseSession{other},
        };
        clients[who]->send(requests[pick(10)]);
        if (pick(200) == 0) {
            // Until the service has seen the old connection end, the id is in use.
            clients[who].reset();
            for (int attempt = 0; attempt < 100 && !clients[who]; ++attempt) {
                auto again = std::make_unique<TestClient>(port_for(who + 1));
                if (again->hello(who + 1)) clients[who] = std::move(again);
            }
            ASSERT_TRUE(clients[who]) << "user " << who + 1 << " could not come back";
        }
        // Reading keeps every client under the queue limit; the test client
        // fails the test on any malformed frame.
        for (auto& c : clients)
            while (c->receive(0)) {
            }
    }
    for (const auto& service : m_services) EXPECT_TRUE(service->running());
    auto late = client(99);
    late->send(CreateLobby{1, LobbyType::Public, 2});
    EXPECT_EQ(late->next<LobbySnapshot>().members, (std::vector<UserId>{99}));
    EXPECT_EQ(late->next<LobbyCreatedReply>().result, CreateOk);
}

// A process that dies holds its users in Redis only until its heartbeat
// expires; then a live process releases them (the other members see them
// disconnect) and they may connect again.
TEST_P(LobbyService, UsersOfAKilledProcessAreReleased) {
    if (!GetParam()) GTEST_SKIP() << "only processes sharing Redis outlive each other";
    auto owner = client(2);
    auto doomed = client(1);
    const LobbyId lobby = lobby_of({owner.get(), doomed.get()});
    m_services[1]->kill_abruptly();
    TestClient too_soon(port_for(0));
    EXPECT_FALSE(too_soon.hello(1)) << "the dead process's heartbeat has not expired yet";
    const MemberChanged released = owner->next<MemberChanged>(30000);
    EXPECT_EQ(released.changed, 1u);
    EXPECT_EQ(released.state_change, MemberDisconnected);
    owner->send(RequestLobbyData{3, lobby});
    EXPECT_EQ(owner->next<LobbySnapshot>().members, (std::vector<UserId>{2}));
    TestClient again(port_for(0));
    EXPECT_TRUE(again.hello(1));
    EXPECT_NE(logs().find("stopped without notice; releasing its 1 users"), std::string::npos) << logs();
}

// A process that loses its Redis has nothing it may serve: it says so, ends
// its clients' connections and exits, rather than answering from nothing.
TEST_P(LobbyService, LosingRedisStopsTheProcess) {
    if (!GetParam()) GTEST_SKIP() << "only the shared store can go away";
    auto user = client(1);
    m_redis.reset();
    EXPECT_TRUE(user->closed_by_service(5000));
    for (int i = 0; i < 500 && m_services[1]->running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_FALSE(m_services[1]->running());
    EXPECT_NE(m_services[1]->log().find("lost the Redis subscription"), std::string::npos) << m_services[1]->log();
}

// Out of descriptors, the service stops accepting instead of spinning or
// failing, and takes the waiting clients in as soon as others leave.
TEST(LobbyServiceDescriptors, WaitingClientsGetInWhenOthersLeave) {
    ServiceProcess service({}, 32);
    ASSERT_NE(service.port(), 0) << service.log();
    std::vector<std::unique_ptr<TestClient>> clients;
    for (UserId user = 1; user <= 40; ++user) {
        clients.push_back(std::make_unique<TestClient>(service.port()));
        ASSERT_TRUE(clients.back()->connected());
        clients.back()->send(Hello{kProtocolVersion, user});
    }
    std::vector<size_t> waiting;
    for (size_t i = 0; i < clients.size(); ++i)
        if (!clients[i]->receive(i == 0 ? 3000 : 300)) waiting.push_back(i);
    ASSERT_FALSE(waiting.empty()) << "the limit was not reached";
    ASSERT_LT(waiting.size(), 20u);
    EXPECT_NE(service.log().find("no file descriptors left"), std::string::npos);
    for (size_t i = 0; i < waiting.size(); ++i) clients[i]->disconnect();
    for (size_t i : waiting) {
        const std::optional<Message> welcome = clients[i]->receive(5000);
        EXPECT_TRUE(welcome && std::holds_alternative<Welcome>(*welcome)) << "client " << i;
    }
    EXPECT_TRUE(service.running());
}

INSTANTIATE_TEST_SUITE_P(Store, LobbyService, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "TwoProcessesOverRedis" : "InMemory"; });

}  // namespace
}  // namespace me::lobby::test
