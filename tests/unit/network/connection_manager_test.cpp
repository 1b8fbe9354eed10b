#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>

#include "loopback_peer.h"
#include "network/connection_manager.h"
#include "network/stat_chunk_sender.h"
#include "spine_test_environment.h"

namespace me {
namespace {

using test::RawPeer;
using test::RecordingHandler;
using Event = RecordingHandler::Event;

constexpr NodeId kHostNode = 10;
constexpr NodeId kClientNode = 20;

class ConnectionManagerTest : public test::SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        host_events = install_handler(host);
        ASSERT_TRUE(host.start_host(kHostNode, 0, "127.0.0.1"));
        port = host.listen_port();
        ASSERT_NE(port, 0);
    }

    static RecordingHandler* install_handler(ConnectionManager& manager) {
        auto handler = std::make_unique<RecordingHandler>();
        RecordingHandler* events = handler.get();
        manager.set_handler(std::move(handler));
        return events;
    }

    // A second manager as a client of host, its handshake finished.
    std::unique_ptr<ConnectionManager> connected_client(NodeId node, RecordingHandler*& events) {
        auto client = std::make_unique<ConnectionManager>();
        events = install_handler(*client);
        EXPECT_TRUE(client->start_client(node, "127.0.0.1", port, 77));
        RecordingHandler* seen = events;
        EXPECT_TRUE(test::pump_until({&host, client.get()},
                                     [&] { return seen->saw({"connect", kHostNode, NetworkResult::Ok}); }));
        return client;
    }

    bool pump_raw(RawPeer& peer, const std::function<bool()>& done, ConnectionManager* other = nullptr) {
        return test::pump_until({&host}, [&] {
            if (other != nullptr)
                other->update();
            peer.poll();
            return done();
        });
    }

    ConnectionManager host;
    RecordingHandler* host_events = nullptr;
    uint16_t port = 0;
};

TEST_F(ConnectionManagerTest, AHandshakeNamesBothSidesAndKeepsTheGameProtocol) {
    RecordingHandler* client_events = nullptr;
    auto client = connected_client(kClientNode, client_events);
    EXPECT_TRUE(host_events->saw({"connect", kClientNode, NetworkResult::Ok}));
    EXPECT_EQ(host.game_protocol_of(kClientNode), 77);
    EXPECT_EQ(host.direction_of(kClientNode), Connection::Incoming);
    EXPECT_EQ(client->direction_of(kHostNode), Connection::Outgoing);
    EXPECT_EQ(host.direction_of(99), 0);
    EXPECT_EQ(host.game_protocol_of(99), -1);
    EXPECT_TRUE(logged("Got initial HELO request from node 20, internal protocol 4, game protocol 77"));
}

struct Refusal {
    const char* name;
    NodeId client_node;
    NetworkResult host_answer;
    NetworkResult client_reason;
    bool host_asked;
};

// A refused client learns it through its failure callback with the reason
// its host's reply code stands for; the host's script hears no disconnect.
TEST_F(ConnectionManagerTest, RefusedClientsFailWithTheReasonOfTheReplyCode) {
    const std::vector<Refusal> cases = {
        {"same id as the host", kHostNode, NetworkResult::Ok, NetworkResult::Disconnect, false},
        {"refused by the script", 31, NetworkResult::Deny, NetworkResult::Disconnect, true},
        {"refused as full", 32, NetworkResult::Full, NetworkResult::Disconnect, true},
    };
    for (const Refusal& c : cases) {
        host_events->events.clear();
        host_events->answer = c.host_answer;
        ConnectionManager client;
        RecordingHandler* client_events = install_handler(client);
        ASSERT_TRUE(client.start_client(c.client_node, "127.0.0.1", port, 1)) << c.name;
        EXPECT_TRUE(test::pump_until({&host, &client}, [&] { return !client_events->events.empty(); })) << c.name;
        ASSERT_EQ(client_events->events.size(), 1u) << c.name;
        EXPECT_EQ(client_events->events[0], (Event{"failure", kNoNode, c.client_reason})) << c.name;
        EXPECT_TRUE(test::pump_until({&host, &client}, [&] { return host.connection_count() == 0; })) << c.name;
        EXPECT_EQ(host_events->saw({"connect", c.client_node, NetworkResult::Ok}), c.host_asked) << c.name;
        for (const Event& e : host_events->events)
            EXPECT_NE(e.what, "disconnect") << c.name;
        client.shutdown();
    }
}

TEST_F(ConnectionManagerTest, ASecondClientWithATakenIdIsDroppedAndTheFirstStays) {
    RecordingHandler* first_events = nullptr;
    auto first = connected_client(kClientNode, first_events);
    ConnectionManager second;
    RecordingHandler* second_events = install_handler(second);
    ASSERT_TRUE(second.start_client(kClientNode, "127.0.0.1", port, 1));
    EXPECT_TRUE(test::pump_until({&host, first.get(), &second}, [&] { return !second_events->events.empty(); }));
    EXPECT_EQ(second_events->events[0], (Event{"failure", kNoNode, NetworkResult::Disconnect}));
    EXPECT_TRUE(logged("Connected node reports it has the same node id as another connected node (20), "
                       "disconnecting it"));
    EXPECT_NE(host.find(kClientNode), nullptr);
    EXPECT_EQ(first_events->events.size(), 1u);
}

struct RawRefusal {
    const char* name;
    std::vector<uint8_t> first_bytes;
    std::vector<uint8_t> expected_reply;
    const char* logged_line;
};

// What a hand-written peer gets for a bad first message: the refusal reply
// arrives before the close, and the host goes on serving the next peer.
TEST_F(ConnectionManagerTest, BadHandshakesAreAnsweredThenClosed) {
    const std::vector<RawRefusal> cases = {
        {"protocol 5", RawPeer::helo_request(5, 5, 1), {'O', 'L', 'E', 'H', 0x80, 0x0A, 0x00, 0x01, 0x00, 0x02},
         "Internal protocol version mismatch on connection from node 5, expected 4, got 5"},
        {"node id -1", RawPeer::helo_request(0xFFFFFFFF, 4, 1),
         {'O', 'L', 'E', 'H', 0x80, 0x0A, 0x00, 0x01, 0x00, 0x03},
         "Connected node reports the reserved node id (-1), disconnecting it"},
        {"a HELO response first", {'O', 'L', 'E', 'H', 0x80, 0x0E, 0x00, 0x01, 0x00, 0x00, 0, 0, 0, 7}, {},
         "warning: First message received on a new incoming connection must be a request of type HELO, got kind = 2, "
         "type = HELO instead"},
        {"a oneshot first", {'A', 'T', 'A', 'D', 0x00, 0x06}, {},
         "warning: First message received on a new incoming connection must be a request of type HELO, got kind = 0, "
         "type = DATA instead"},
        {"a frame shorter than its header", {'O', 'L', 'E', 'H', 0x40, 0x03}, {},
         "warning: Invalid frame (length shorter than its header) on Incoming connection to node -1, dropping the "
         "sender"},
        {"kind 3", {'O', 'L', 'E', 'H', 0xC0, 0x10}, {},
         "warning: Invalid frame (kind 3) on Incoming connection to node -1, dropping the sender"},
    };
    for (const RawRefusal& c : cases) {
        RawPeer peer(port);
        ASSERT_TRUE(peer.connected) << c.name;
        peer.send(c.first_bytes);
        EXPECT_TRUE(pump_raw(peer, [&] { return peer.closed; })) << c.name;
        EXPECT_EQ(peer.received, c.expected_reply) << c.name;
        EXPECT_TRUE(logged(c.logged_line)) << c.name;
        EXPECT_TRUE(test::pump_until({&host}, [&] { return host.connection_count() == 0; })) << c.name;
    }
    EXPECT_TRUE(host_events->events.empty());
    RecordingHandler* client_events = nullptr;
    auto client = connected_client(kClientNode, client_events);
    EXPECT_NE(host.find(kClientNode), nullptr);
}

// After the handshake, a malformed frame or an abrupt close drops only that
// peer, with the reason the script is told.
TEST_F(ConnectionManagerTest, NamedPeersAreDroppedForBrokenFramesAndCloses) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool close;
        NetworkResult reason;
    };
    const std::vector<Case> cases = {
        {"short length", {'A', 'T', 'A', 'D', 0x00, 0x02}, false, NetworkResult::Protocol},
        {"long length", {'A', 'T', 'A', 'D', 0x3F, 0xFF}, false, NetworkResult::Protocol},
        {"abrupt close mid-frame", {'A', 'T', 'A', 'D', 0x00, 0x40, 1, 2}, true, NetworkResult::Disconnect},
    };
    NodeId node = 50;
    for (const Case& c : cases) {
        ++node;
        auto peer = std::make_unique<RawPeer>(port);
        peer->send(RawPeer::helo_request(static_cast<uint32_t>(node), 4, 1));
        EXPECT_TRUE(pump_raw(*peer, [&] { return peer->received.size() >= 14; })) << c.name;
        peer->send(c.bytes);
        if (c.close)
            peer.reset();
        EXPECT_TRUE(test::pump_until({&host}, [&] { return host_events->saw({"disconnect", node, c.reason}); }))
            << c.name;
        EXPECT_EQ(host.find(node), nullptr) << c.name;
    }
}

TEST_F(ConnectionManagerTest, RequestsAreAnsweredInTheSameUpdateAndOneshotsArrive) {
    RecordingHandler* client_events = nullptr;
    auto client = connected_client(kClientNode, client_events);
    host_events->on_message_hook = [&](NodeId node) {
        Message* in = host.incoming(node);
        ASSERT_NE(in, nullptr);
        if (in->kind() != MessageKind::Request)
            return;
        std::string text;
        ASSERT_TRUE(in->read_string(text));
        ASSERT_TRUE(host.create_response(node, 42));
        host.outgoing(node)->write_string(text + "!");
        EXPECT_TRUE(host.send(node));
    };
    const uint16_t id = client->create_request(kHostNode, Message::type_from_text("ECHO"));
    EXPECT_EQ(id, 2);  // the handshake took 1
    client->outgoing(kHostNode)->write_string("hello");
    ASSERT_TRUE(client->send(kHostNode));
    std::string answer;
    client_events->on_message_hook = [&](NodeId node) {
        Message* in = client->incoming(node);
        EXPECT_EQ(in->kind(), MessageKind::Response);
        EXPECT_EQ(in->id(), id);
        EXPECT_EQ(in->code(), 42);
        EXPECT_EQ(in->type(), Message::type_from_text("ECHO"));
        in->read_string(answer);
    };
    EXPECT_TRUE(test::pump_until({&host, client.get()}, [&] { return !answer.empty(); }));
    EXPECT_EQ(answer, "hello!");

    ASSERT_TRUE(client->create_oneshot(kHostNode, Message::type_from_text("TICK")));
    client->outgoing(kHostNode)->write_varint(123456);
    ASSERT_TRUE(client->send(kHostNode));
    EXPECT_TRUE(test::pump_until({&host, client.get()}, [&] { return host_events->events.size() == 3; }));
    EXPECT_EQ(host_events->events.back(), (Event{"message", kClientNode, NetworkResult::Ok}));
}

// Each side counts what really crossed the socket: after the handshake and
// after every message, one side's sent bytes are the other's received ones.
TEST_F(ConnectionManagerTest, ByteCountersGrowByEveryFrameThatCrosses) {
    RecordingHandler* client_events = nullptr;
    auto client = connected_client(kClientNode, client_events);
    const auto balanced = [&] {
        return host.bytes_received() == client->bytes_sent() && client->bytes_received() == host.bytes_sent();
    };
    ASSERT_TRUE(test::pump_until({&host, client.get()}, balanced));
    EXPECT_GT(client->bytes_sent(), 0u);
    EXPECT_GT(host.bytes_sent(), 0u);
    for (const size_t payload : {0u, 1u, 700u}) {
        const uint64_t client_sent = client->bytes_sent();
        const uint64_t host_sent = host.bytes_sent();
        ASSERT_TRUE(client->create_oneshot(kHostNode, Message::type_from_text("DATA")));
        client->outgoing(kHostNode)->write_string(std::string(payload, 'x'));
        ASSERT_TRUE(host.create_oneshot(kClientNode, Message::type_from_text("BACK")));
        host.outgoing(kClientNode)->write_u8(1);
        ASSERT_TRUE(client->send(kHostNode));
        ASSERT_TRUE(host.send(kClientNode));
        ASSERT_TRUE(test::pump_until({&host, client.get()}, balanced)) << payload;
        const uint64_t client_grew = client->bytes_sent() - client_sent;
        EXPECT_GT(client_grew, payload) << payload;
        EXPECT_LT(client_grew, payload + 32) << payload;
        EXPECT_GT(host.bytes_sent() - host_sent, 1u) << payload;
        EXPECT_LT(host.bytes_sent() - host_sent, 32u) << payload;
    }
}

TEST_F(ConnectionManagerTest, MisusedMessageCallsWarnAndChangeNothing) {
    RecordingHandler* client_events = nullptr;
    auto client = connected_client(kClientNode, client_events);
    EXPECT_EQ(client->create_request(99, 1), 0);
    EXPECT_TRUE(logged("warning: Script tried to create request message on connection to node 99 but there is no "
                       "such connection"));
    EXPECT_FALSE(client->create_response(kHostNode, 4096));
    EXPECT_TRUE(logged("warning: Script tried to create response message on connection to node 10 with code 4096, "
                       "code out of range"));
    EXPECT_FALSE(client->create_response(kHostNode, 0));
    EXPECT_TRUE(logged("warning: Script tried to create response message on connection to node 10 but the incoming "
                       "message is not a request"));
    EXPECT_EQ(client->incoming(kHostNode), nullptr);
    EXPECT_TRUE(client->incoming_read_failed(kHostNode));
    const uint32_t full = Message::type_from_text("FULL");
    EXPECT_TRUE(client->create_oneshot(kHostNode, full));
    EXPECT_FALSE(client->create_oneshot(kHostNode, full));
    EXPECT_TRUE(logged("warning: Script tried to create oneshot message on connection to node 10 but there is "
                       "already another message being written to that node"));
    for (int i = 0; i < 1019; ++i)
        client->outgoing(kHostNode)->write_u8(0);
    EXPECT_FALSE(client->send(kHostNode));
    EXPECT_TRUE(logged("error: Failed to finish a message of kind 0 and type FULL on connection to node id 10"));
    EXPECT_TRUE(client_events->saw({"disconnect", kHostNode, NetworkResult::System}));
}

// Closing everything from inside a message callback must not pull the
// connection out from under the update that is dispatching it.
TEST_F(ConnectionManagerTest, ShuttingDownInsideACallbackWaitsForTheUpdateToEnd) {
    RecordingHandler* client_events = nullptr;
    auto client = connected_client(kClientNode, client_events);
    host_events->on_message_hook = [&](NodeId) { host.shutdown(); };
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(client->create_oneshot(kHostNode, Message::type_from_text("BYE")));
        ASSERT_TRUE(client->send(kHostNode));
    }
    EXPECT_TRUE(test::pump_until({&host, client.get()}, [&] { return host.mode() == ConnectionManager::None; }));
    EXPECT_EQ(host.connection_count(), 0u);
    EXPECT_EQ(host_events->events.back(), (Event{"message", kClientNode, NetworkResult::Ok}));
    EXPECT_TRUE(test::pump_until({&host, client.get()}, [&] {
        return client_events->saw({"disconnect", kHostNode, NetworkResult::Disconnect});
    }));
    EXPECT_TRUE(host.start_host(kHostNode, 0, "127.0.0.1"));
}

TEST_F(ConnectionManagerTest, ConnectionsBeyondTheLimitAreClosedAsTheyArrive) {
    std::vector<std::unique_ptr<RawPeer>> peers;
    for (size_t i = 0; i <= ConnectionManager::kMaxConnections; ++i) {
        peers.push_back(std::make_unique<RawPeer>(port));
        const size_t expected = std::min(i + 1, ConnectionManager::kMaxConnections);
        EXPECT_TRUE(test::pump_until({&host}, [&] { return host.connection_count() == expected; }));
    }
    RawPeer& last = *peers.back();
    EXPECT_TRUE(pump_raw(last, [&] { return last.closed; }));
    EXPECT_FALSE(peers.front()->closed);
    EXPECT_EQ(host.connection_count(), ConnectionManager::kMaxConnections);
    EXPECT_NE(log_text().find("warning: Refusing the connection from 127.0.0.1:"), std::string::npos);
}

TEST_F(ConnectionManagerTest, APeerThatNeverSaysHeloIsDroppedAfterTwentySeconds) {
    uint32_t fake_now = 1000;
    host.set_clock([&] { return fake_now; });
    RawPeer peer(port);
    EXPECT_TRUE(test::pump_until({&host}, [&] { return host.connection_count() == 1; }));
    fake_now += ConnectionManager::kHandshakeLimitMs;
    host.update();
    EXPECT_EQ(host.connection_count(), 1u);
    fake_now += 1;
    host.update();
    EXPECT_EQ(host.connection_count(), 0u);
    EXPECT_TRUE(logged("warning: Incoming connection not established within 20000 ms, dropping"));
}

TEST_F(ConnectionManagerTest, SimulatedLatencyHoldsMessagesBackInOrder) {
    RecordingHandler* client_events = nullptr;
    auto client = connected_client(kClientNode, client_events);
    uint32_t fake_now = 5000;
    client->set_clock([&] { return fake_now; });
    client->set_latency_simulation(100, 100);
    client->update();
    EXPECT_EQ(client->latency_now(), 100u);
    std::vector<uint32_t> arrived;
    host_events->on_message_hook = [&](NodeId node) {
        uint32_t value = 0;
        host.incoming(node)->read_u32(value);
        arrived.push_back(value);
    };
    for (uint32_t value : {1u, 2u, 3u}) {
        if (value > 1)
            fake_now += 40;
        client->create_oneshot(kHostNode, Message::type_from_text("LAG"));
        client->outgoing(kHostNode)->write_u32(value);
        client->send(kHostNode);
    }
    for (int i = 0; i < 50; ++i) {
        client->update();
        host.update();
    }
    EXPECT_TRUE(arrived.empty());
    fake_now = 5100;
    EXPECT_TRUE(test::pump_until({client.get(), &host}, [&] { return arrived.size() == 1; }));
    fake_now = 5180;
    EXPECT_TRUE(test::pump_until({client.get(), &host}, [&] { return arrived.size() == 3; }));
    EXPECT_EQ(arrived, (std::vector<uint32_t>{1, 2, 3}));
}

// A state of a few hundred kilobytes crosses in chunks, in order, and comes
// out whole on the other side.
TEST_F(ConnectionManagerTest, AStateCrossesInChunksAndArrivesWhole) {
    RecordingHandler* client_events = nullptr;
    auto client = connected_client(kClientNode, client_events);
    std::vector<uint8_t> state(300 * 1024 + 7);
    for (size_t i = 0; i < state.size(); ++i)
        state[i] = static_cast<uint8_t>((i * 2654435761u) >> 13);
    std::vector<uint8_t> received;
    int completions = 0;
    client->stat_receiver().set_target([] { return true; },
                                       [&](std::vector<uint8_t> bytes) {
                                           received = std::move(bytes);
                                           ++completions;
                                       });
    ASSERT_TRUE(StatChunkSender::send(host, kClientNode, state));
    EXPECT_TRUE(test::pump_until({&host, client.get()}, [&] { return completions == 1; }));
    EXPECT_EQ(received, state);
    EXPECT_TRUE(client_events->events.size() == 1);
    EXPECT_TRUE(StatChunkSender::send(host, kClientNode, {}));
    EXPECT_FALSE(StatChunkSender::send(host, 99, state));
    EXPECT_TRUE(logged("warning: Failed to create SAVE message for node 99"));
}

}  // namespace
}  // namespace me
