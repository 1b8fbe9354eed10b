#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "lobby/protocol/frame_reader.h"
#include "lobby/protocol/message_codec.h"
#include "platform/lobby_service_platform.h"
#include "spine_test_environment.h"

namespace me::platform {
namespace {

constexpr UserId kMe = 76561197960265740ULL;
constexpr UserId kOther = 76561197960265741ULL;
constexpr LobbyId kLobby = 0x0186000000000042ULL;

// The service's side of one connection, written with the protocol library.
class FakeService {
public:
    FakeService() {
        m_listen = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        ::listen(m_listen, 1);
        socklen_t size = sizeof address;
        ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
    }
    ~FakeService() {
        if (m_client >= 0)
            ::close(m_client);
        ::close(m_listen);
    }

    // Collects what the client sent; accepts it first when needed.
    void poll_client() {
        if (m_client < 0) {
            pollfd waiting{m_listen, POLLIN, 0};
            if (::poll(&waiting, 1, 0) > 0)
                m_client = ::accept(m_listen, nullptr, nullptr);
            return;
        }
        uint8_t buffer[4096];
        const ssize_t count = ::recv(m_client, buffer, sizeof buffer, MSG_DONTWAIT);
        if (count <= 0)
            return;
        m_reader.append({buffer, static_cast<size_t>(count)});
        for (auto body = m_reader.next_frame(); !body.empty(); body = m_reader.next_frame())
            if (auto decoded = lobby::decode_body(body); decoded.message)
                received.push_back(*decoded.message);
    }

    void send(const lobby::Message& message) {
        std::vector<uint8_t> frame;
        ASSERT_TRUE(lobby::encode_frame(message, frame));
        send_raw(frame);
    }
    void send_raw(const std::vector<uint8_t>& bytes) { ::send(m_client, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

    template <typename T>
    const T* last() const {
        for (auto it = received.rbegin(); it != received.rend(); ++it)
            if (const T* message = std::get_if<T>(&*it))
                return message;
        return nullptr;
    }

    uint16_t port = 0;
    std::vector<lobby::Message> received;

private:
    int m_listen = -1;
    int m_client = -1;
    lobby::FrameReader m_reader;
};

class LobbyServicePlatformTest : public test::SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        registry.set_text("system::save_dir", "root:save");
        registry.set_text("platform::user_id", std::to_string(kMe));
        registry.set_text("platform::lobby_server", "127.0.0.1:" + std::to_string(service.port));
        client.callbacks().add_listener<LobbyChatUpdate>([this](const LobbyChatUpdate& u) { updates.push_back(u); });
        client.callbacks().add_listener<LobbyChatMsg>([this](const LobbyChatMsg& m) { chats.push_back(m); });
        ASSERT_TRUE(LobbyServicePlatform::configured());
        ASSERT_TRUE(client.init());
        ASSERT_TRUE(pump_until([&] { return service.last<lobby::Hello>() != nullptr; }));
        EXPECT_EQ(service.last<lobby::Hello>()->user, kMe);
        service.send(lobby::Welcome{lobby::kProtocolVersion, kMe});
    }

    void TearDown() override {
        client.shutdown();
        SpineTest::TearDown();
    }

    bool pump_until(const std::function<bool()>& done) {
        for (int round = 0; round < 2000; ++round) {
            service.poll_client();
            client.run_callbacks();
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    // A lobby of two that this user created and owns.
    void create_lobby_of_two() {
        std::optional<LobbyCreated> created;
        const CallHandle call = client.create_lobby(LobbyType::Public, 4);
        ASSERT_NE(call, kNoCall);
        client.callbacks().set_call_result<LobbyCreated>(call, [&](const LobbyCreated& r, bool) { created = r; });
        ASSERT_TRUE(pump_until([&] { return service.last<lobby::CreateLobby>() != nullptr; }));
        const uint32_t request = service.last<lobby::CreateLobby>()->request;
        service.send(lobby::LobbySnapshot{request, kLobby, lobby::LobbyType::Public, 4, kMe, {kMe}, {{"a", "1"}}});
        service.send(lobby::LobbyCreatedReply{request, lobby::CreateOk, kLobby});
        service.send(lobby::MemberChanged{kLobby, kOther, kOther, lobby::MemberEntered});
        ASSERT_TRUE(pump_until([&] { return created.has_value() && !updates.empty(); }));
        EXPECT_EQ(created->result, ResultOk);
        EXPECT_EQ(created->lobby, kLobby);
    }

    FakeService service;
    LobbyServicePlatform client;
    std::vector<LobbyChatUpdate> updates;
    std::vector<LobbyChatMsg> chats;
};

TEST_F(LobbyServicePlatformTest, ServiceMessagesKeepTheLobbyCopyAndBecomeNotifications) {
    EXPECT_TRUE(client.lobbies_available());
    create_lobby_of_two();
    EXPECT_EQ(client.lobby_owner(kLobby), kMe);
    EXPECT_EQ(client.lobby_member_count(kLobby), 2);
    EXPECT_EQ(client.lobby_member(kLobby, 1), kOther);
    EXPECT_EQ(client.lobby_data(kLobby, "a"), "1");
    EXPECT_EQ(updates.back().changed, kOther);
    EXPECT_EQ(updates.back().state_change, uint32_t{MemberEntered});

    EXPECT_TRUE(client.set_lobby_data(kLobby, "game_protocol", "7"));
    EXPECT_EQ(client.lobby_data(kLobby, "game_protocol"), "7");
    const uint8_t kick[] = {'K', 'I', 'C', 'K'};
    EXPECT_TRUE(client.send_lobby_chat(kLobby, kick, sizeof kick));
    const uint8_t packet[] = {1, 2, 3};
    EXPECT_TRUE(client.send_p2p_packet(kOther, packet, sizeof packet, 0));
    ASSERT_TRUE(pump_until([&] { return service.last<lobby::SendPacket>() != nullptr; }));
    EXPECT_EQ(service.last<lobby::SetLobbyData>()->value, "7");
    EXPECT_EQ(service.last<lobby::SendChat>()->data.size(), 4u);
    EXPECT_EQ(service.last<lobby::SendPacket>()->receiver, kOther);

    service.send(lobby::ChatEntry{kLobby, kOther, 5, {9, 8}});
    service.send(lobby::PacketDelivery{kOther, 0, {4, 5, 6, 7}});
    service.send(lobby::OwnerChanged{kLobby, kOther});
    ASSERT_TRUE(pump_until([&] { return !chats.empty() && client.lobby_owner(kLobby) == kOther; }));
    UserId sender = 0;
    EXPECT_EQ(client.lobby_chat_entry(kLobby, chats.back().chat_id, sender), (std::vector<uint8_t>{9, 8}));
    EXPECT_EQ(sender, kOther);
    EXPECT_EQ(client.lobby_owner(kLobby), kOther);
    uint32_t size = 0;
    ASSERT_TRUE(client.is_p2p_packet_available(size, 0));
    EXPECT_EQ(size, 4u);
    EXPECT_FALSE(client.is_p2p_packet_available(size, 1));
    uint8_t buffer[2] = {};
    UserId remote = 0;
    ASSERT_TRUE(client.read_p2p_packet(buffer, sizeof buffer, size, remote, 0));
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(remote, kOther);
    EXPECT_EQ(buffer[1], 5);
    P2PSessionState state;
    EXPECT_TRUE(client.p2p_session_state(kOther, state));
    EXPECT_TRUE(state.using_relay);
    EXPECT_FALSE(client.set_lobby_data(kLobby, "b", "2"));
}

TEST_F(LobbyServicePlatformTest, RefusedJoinsAnswerTheirCall) {
    std::optional<LobbyEnter> entered;
    const CallHandle call = client.join_lobby(kLobby);
    client.callbacks().set_call_result<LobbyEnter>(call, [&](const LobbyEnter& r, bool) { entered = r; });
    ASSERT_TRUE(pump_until([&] { return service.last<lobby::JoinLobby>() != nullptr; }));
    service.send(lobby::Error{service.last<lobby::JoinLobby>()->request, lobby::ErrorCode::NoSuchLobby, "gone"});
    ASSERT_TRUE(pump_until([&] { return entered.has_value(); }));
    EXPECT_EQ(entered->response, uint32_t{LobbyEnterDoesntExist});
    EXPECT_EQ(client.join_lobby(0), kNoCall);
    EXPECT_EQ(client.create_lobby(LobbyType::Public, 0), kNoCall);
}

TEST_F(LobbyServicePlatformTest, GarbageFromTheServiceEndsTheLinkAndFailsWhatWaits) {
    create_lobby_of_two();
    bool io_failure = false;
    const CallHandle call = client.join_lobby(kLobby + 1);
    client.callbacks().set_call_result<LobbyEnter>(call, [&](const LobbyEnter&, bool failed) { io_failure = failed; });
    ASSERT_TRUE(pump_until([&] { return service.last<lobby::JoinLobby>() != nullptr; }));
    service.send_raw({0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3});
    ASSERT_TRUE(pump_until([&] { return io_failure; }));
    EXPECT_FALSE(client.lobbies_available());
    EXPECT_EQ(updates.back().changed, kOther);
    EXPECT_EQ(updates.back().state_change, uint32_t{MemberDisconnected});
    const std::string lost = "The lobby service at 127.0.0.1:" + std::to_string(service.port) + " is not available";
    EXPECT_NE(log_text().find(lost), std::string::npos);
    EXPECT_EQ(client.create_lobby(LobbyType::Public, 2), kNoCall);
}

class LobbyServiceAddressTest : public test::SpineTest {};

TEST_F(LobbyServiceAddressTest, AnAddressThatIsNotHostAndPortLeavesNoLobbies) {
    for (const char* address : {"127.0.0.1", "127.0.0.1:0", "127.0.0.1:99999", ":22335", "127.0.0.1:12x"}) {
        registry.set_text("platform::lobby_server", address);
        LobbyServicePlatform client;
        ASSERT_TRUE(client.init());
        EXPECT_FALSE(client.lobbies_available()) << address;
        EXPECT_EQ(client.create_lobby(LobbyType::Public, 2), kNoCall) << address;
        EXPECT_TRUE(logged(std::string("error: The lobby service at ") + address +
                           " is not available: the address is not HOST:PORT"))
            << address;
        client.shutdown();
    }
    registry.set_text("platform::lobby_server", "");
    EXPECT_FALSE(LobbyServicePlatform::configured());
    OfflinePlatform offline;
    EXPECT_FALSE(offline.lobbies_available());
}

}  // namespace
}  // namespace me::platform
