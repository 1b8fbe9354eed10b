#include "platform/offline_platform.h"
#include "spine_test_environment.h"

namespace me::platform {
namespace {

using test::SpineTest;

TEST(CallbackDispatcher, NotificationsWaitForRunAndReachOnlyTheirKind) {
    CallbackDispatcher dispatcher;
    std::vector<int32_t> received;
    int stored = 0;
    dispatcher.add_listener<UserStatsReceived>([&](const UserStatsReceived& n) { received.push_back(n.result); });
    dispatcher.add_listener<UserStatsStored>([&](const UserStatsStored&) { ++stored; });
    dispatcher.post(UserStatsReceived{1, ResultOk, 7});
    dispatcher.post(UserStatsReceived{1, ResultFail, 7});
    EXPECT_TRUE(received.empty());
    dispatcher.run();
    EXPECT_EQ(received, (std::vector<int32_t>{ResultOk, ResultFail}));
    EXPECT_EQ(stored, 0);
    dispatcher.run();
    EXPECT_EQ(received.size(), 2u);
}

TEST(CallbackDispatcher, RemovedListenersHearNothingEvenMidDelivery) {
    CallbackDispatcher dispatcher;
    int first_calls = 0;
    int second_calls = 0;
    CallbackDispatcher::ListenerId second = 0;
    dispatcher.add_listener<LobbyKicked>([&](const LobbyKicked&) {
        ++first_calls;
        dispatcher.remove_listener(second);
    });
    second = dispatcher.add_listener<LobbyKicked>([&](const LobbyKicked&) { ++second_calls; });
    dispatcher.post(LobbyKicked{5, 6, false});
    dispatcher.run();
    EXPECT_EQ(first_calls, 1);
    EXPECT_EQ(second_calls, 0);
}

TEST(CallbackDispatcher, WhatListenersPostWaitsForTheNextRun) {
    CallbackDispatcher dispatcher;
    int calls = 0;
    dispatcher.add_listener<P2PSessionRequest>([&](const P2PSessionRequest& n) {
        ++calls;
        if (n.remote < 3)
            dispatcher.post(P2PSessionRequest{n.remote + 1});
    });
    dispatcher.post(P2PSessionRequest{1});
    dispatcher.run();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(dispatcher.pending(), 1u);
    dispatcher.run();
    dispatcher.run();
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(dispatcher.pending(), 0u);
}

TEST(CallbackDispatcher, CallResultsAreDeliveredOnceToTheirHandle) {
    CallbackDispatcher dispatcher;
    std::vector<LobbyId> created;
    bool failed = false;
    dispatcher.set_call_result<LobbyCreated>(10, [&](const LobbyCreated& r, bool io_failure) {
        created.push_back(r.lobby);
        failed = io_failure;
    });
    dispatcher.post_call_result(11, LobbyCreated{ResultOk, 99});
    dispatcher.post_call_result(10, LobbyCreated{ResultOk, 42}, true);
    dispatcher.post_call_result(10, LobbyCreated{ResultOk, 43});
    dispatcher.run();
    EXPECT_EQ(created, std::vector<LobbyId>{42});
    EXPECT_TRUE(failed);
}

TEST(CallbackDispatcher, CancelledOrMismatchedCallResultsAreDropped) {
    CallbackDispatcher dispatcher;
    int calls = 0;
    dispatcher.set_call_result<LobbyEnter>(1, [&](const LobbyEnter&, bool) { ++calls; });
    dispatcher.set_call_result<LobbyEnter>(2, [&](const LobbyEnter&, bool) { ++calls; });
    dispatcher.cancel_call_result(1);
    dispatcher.post_call_result(1, LobbyEnter{1, 0, false, LobbyEnterSuccess});
    dispatcher.post_call_result(2, LobbyCreated{ResultOk, 1});
    dispatcher.run();
    EXPECT_EQ(calls, 0);
}

class OfflinePlatformTest : public SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        registry.set_text("system::save_dir", "root:save");
    }

    // Starts a client the way the frame loop does and waits for its statistics.
    std::unique_ptr<OfflinePlatform> start_with_stats() {
        auto client = std::make_unique<OfflinePlatform>();
        EXPECT_TRUE(client->init());
        bool received = false;
        client->callbacks().add_listener<UserStatsReceived>([&](const UserStatsReceived& n) {
            received = n.result == ResultOk && n.user == client->local_user_id() && n.game_id == client->game_id();
        });
        EXPECT_TRUE(client->request_current_stats());
        client->run_callbacks();
        EXPECT_TRUE(received);
        return client;
    }

    std::string user_dir() const { return "save/platform/76561197960265729"; }
};

TEST_F(OfflinePlatformTest, UserIdComesFromConfiguration) {
    OfflinePlatform client;
    client.init();
    EXPECT_EQ(client.local_user_id(), 76561197960265729ull);
    EXPECT_EQ(account_number(client.local_user_id()), 1u);
    registry.set_text("platform::user_id", "76561197960265740");
    client.init();
    EXPECT_EQ(account_number(client.local_user_id()), 12u);
    registry.set_text("platform::user_id", "12abc");
    client.init();
    EXPECT_EQ(client.local_user_id(), 76561197960265729ull);
    EXPECT_TRUE(logged("warning: platform::user_id '12abc' is not a user id, using 76561197960265729."));
}

TEST_F(OfflinePlatformTest, StatisticsWaitForTheirRequest) {
    OfflinePlatform client;
    client.init();
    int32_t value = 5;
    EXPECT_FALSE(client.set_stat("kills", 1));
    EXPECT_FALSE(client.get_stat("kills", value));
    EXPECT_FALSE(client.set_achievement("WIN"));
    EXPECT_FALSE(client.store_stats());
    OfflinePlatform stopped;
    EXPECT_FALSE(stopped.request_current_stats());
}

TEST_F(OfflinePlatformTest, StoredValuesSurviveARestart) {
    auto client = start_with_stats();
    int stored = 0;
    client->callbacks().add_listener<UserStatsStored>([&](const UserStatsStored& n) {
        stored += n.result == ResultOk ? 1 : 0;
    });
    EXPECT_TRUE(client->set_stat("kills", 12));
    EXPECT_TRUE(client->set_stat("distance", 3.25f));
    EXPECT_TRUE(client->set_achievement("FIRST_WIN"));
    ASSERT_TRUE(client->store_stats());
    client->run_callbacks();
    EXPECT_EQ(stored, 1);
    EXPECT_TRUE(client->set_stat("kills", 99));
    client->shutdown();

    auto restarted = start_with_stats();
    int32_t kills = 0;
    float distance = 0.0f;
    bool won = false;
    bool other = true;
    EXPECT_TRUE(restarted->get_stat("kills", kills));
    EXPECT_TRUE(restarted->get_stat("distance", distance));
    EXPECT_TRUE(restarted->get_achievement("FIRST_WIN", won));
    EXPECT_TRUE(restarted->get_achievement("OTHER", other));
    EXPECT_EQ(kills, 12);
    EXPECT_EQ(distance, 3.25f);
    EXPECT_TRUE(won);
    EXPECT_FALSE(other);
}

TEST_F(OfflinePlatformTest, StatisticsKeepTheirType) {
    auto client = start_with_stats();
    int32_t count = -1;
    float ratio = -1.0f;
    EXPECT_TRUE(client->get_stat("never_set", count));
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(client->set_stat("count", 3));
    EXPECT_FALSE(client->set_stat("count", 1.5f));
    EXPECT_FALSE(client->get_stat("count", ratio));
    EXPECT_FALSE(client->set_stat("two words", 1));
    EXPECT_FALSE(client->set_stat("", 1));
    EXPECT_FALSE(client->set_achievement("line\nbreak"));
}

TEST_F(OfflinePlatformTest, ResetClearsStatisticsAndOptionallyAchievements) {
    auto client = start_with_stats();
    client->set_stat("kills", 4);
    client->set_achievement("WIN");
    ASSERT_TRUE(client->reset_all_stats(false));
    int32_t kills = -1;
    bool won = false;
    client->get_stat("kills", kills);
    client->get_achievement("WIN", won);
    EXPECT_EQ(kills, 0);
    EXPECT_TRUE(won);
    ASSERT_TRUE(client->reset_all_stats(true));
    client->get_achievement("WIN", won);
    EXPECT_FALSE(won);
    auto restarted = start_with_stats();
    restarted->get_achievement("WIN", won);
    EXPECT_FALSE(won);
}

TEST_F(OfflinePlatformTest, DamagedStatisticsAreKeptAsideAndReadableLinesSurvive) {
    std::string damaged = std::string(StatsStore::kHeader) +
                          "\nint 7 kills\nint seven lives\nfloat 2.5 speed\nachievement 2 X\nachievement 1 WIN\n";
    write_file(user_dir() + "/stats.txt", damaged);
    auto client = start_with_stats();
    EXPECT_EQ(read_file(user_dir() + "/stats.txt.damaged-1"), damaged);
    EXPECT_TRUE(logged("error: Statistics file '" + user_dir() + "/stats.txt' is damaged at line 3; its readable "
                       "values are kept and the file was moved to '" + user_dir() + "/stats.txt.damaged-1'."));
    int32_t kills = 0;
    float speed = 0.0f;
    bool won = false;
    EXPECT_TRUE(client->get_stat("kills", kills));
    EXPECT_TRUE(client->get_stat("speed", speed));
    EXPECT_TRUE(client->get_achievement("WIN", won));
    EXPECT_EQ(kills, 7);
    EXPECT_EQ(speed, 2.5f);
    EXPECT_TRUE(won);
    ASSERT_TRUE(client->store_stats());
    auto restarted = start_with_stats();
    EXPECT_TRUE(restarted->get_stat("kills", kills));
    EXPECT_EQ(kills, 7);
    EXPECT_EQ(read_file(user_dir() + "/stats.txt.damaged-1"), damaged);
}

TEST_F(OfflinePlatformTest, UnreadableStatisticsFileIsNeverOverwritten) {
    std::string garbage("\x89PNG\0\xff\xfe binary", 15);
    write_file(user_dir() + "/stats.txt", garbage);
    write_file(user_dir() + "/stats.txt.damaged-1", "an older damaged file");
    auto client = start_with_stats();
    EXPECT_EQ(read_file(user_dir() + "/stats.txt.damaged-1"), "an older damaged file");
    EXPECT_EQ(read_file(user_dir() + "/stats.txt.damaged-2"), garbage);
    int32_t kills = -1;
    EXPECT_TRUE(client->get_stat("kills", kills));
    EXPECT_EQ(kills, 0);
}

TEST_F(OfflinePlatformTest, CloudFilesSurviveARestart) {
    OfflinePlatform client;
    client.init();
    std::string bytes("save\0game", 9);
    EXPECT_FALSE(client.file_exists("slot1.sav"));
    EXPECT_EQ(client.file_size("slot1.sav"), -1);
    ASSERT_TRUE(client.file_write("slot1.sav", bytes.data(), static_cast<int32_t>(bytes.size())));
    ASSERT_TRUE(client.file_write("empty", nullptr, 0));
    client.shutdown();
    EXPECT_FALSE(client.file_exists("slot1.sav"));

    OfflinePlatform restarted;
    restarted.init();
    EXPECT_TRUE(restarted.file_exists("slot1.sav"));
    EXPECT_EQ(restarted.file_size("slot1.sav"), 9);
    EXPECT_EQ(restarted.file_size("empty"), 0);
    char buffer[16] = {};
    EXPECT_EQ(restarted.file_read("slot1.sav", buffer, sizeof buffer), 9);
    EXPECT_EQ(std::string(buffer, 9), bytes);
    EXPECT_EQ(restarted.file_read("slot1.sav", buffer, 4), 4);
    EXPECT_EQ(restarted.file_read("missing", buffer, sizeof buffer), 0);
}

TEST_F(OfflinePlatformTest, CloudNamesStayInsideTheUsersCloudDirectory) {
    OfflinePlatform client;
    client.init();
    ASSERT_TRUE(client.file_write("../../escape", "x", 1));
    ASSERT_TRUE(client.file_write(".hidden/a\\b", "y", 1));
    EXPECT_TRUE(client.file_exists("../../escape"));
    EXPECT_FALSE(std::filesystem::exists("save/platform/escape"));
    size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(user_dir() + "/cloud")) {
        EXPECT_TRUE(entry.is_regular_file());
        ++files;
    }
    EXPECT_EQ(files, 2u);
    EXPECT_FALSE(client.file_write("", "z", 1));
    EXPECT_FALSE(client.file_write(std::string(300, 'n'), "z", 1));
    EXPECT_FALSE(client.file_write("negative", "z", -1));
}

TEST_F(OfflinePlatformTest, LobbiesAndPeerToPeerFailCleanly) {
    OfflinePlatform client;
    client.init();
    EXPECT_EQ(client.create_lobby(LobbyType::FriendsOnly, 4), kNoCall);
    EXPECT_EQ(client.join_lobby(1234), kNoCall);
    EXPECT_FALSE(client.is_valid_lobby(1234));
    EXPECT_EQ(client.lobby_member_count(1234), 0);
    EXPECT_EQ(client.lobby_data(1234, "game_protocol"), "");
    UserId sender = 9;
    EXPECT_FALSE(client.lobby_chat_entry(1234, 0, sender).has_value());
    EXPECT_EQ(sender, 0u);
    EXPECT_FALSE(client.send_p2p_packet(5, "HELO", 4, 0));
    uint32_t size = 7;
    EXPECT_FALSE(client.is_p2p_packet_available(size, 0));
    EXPECT_EQ(size, 0u);
    EXPECT_TRUE(logged("error: Lobbies are not available on the offline platform."));
    EXPECT_TRUE(logged("error: Peer-to-peer packets are not available on the offline platform."));
    EXPECT_EQ(client.callbacks().pending(), 0u);
}

}  // namespace
}  // namespace me::platform
