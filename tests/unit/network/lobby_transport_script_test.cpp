#include <gtest/gtest.h>

#include <memory>

#include "binding_test_vm.h"
#include "fake_lobby_platform.h"
#include "network/connection_manager.h"
#include "network/default_event_handler.h"

namespace me {
namespace {

constexpr platform::UserId kUser = 76561197960265733ULL;  // account number 5

// The Network lobby functions against one fake platform user, with the
// default handler passing events to a script root that records them.
class LobbyScriptTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        g_connection_manager = &manager;
        manager.start(&platform);
        evaluate("::events <- []; ::creation_answer <- NETWORK_RESULT_OK;");
        g_script_root->root = evaluate(R"(return {
            function handle_lobby_create_succeeded(lobby, node) {
                ::events.append("created " + lobby + " " + node + " " + typeof lobby);
                return ::creation_answer;
            }
            function handle_lobby_node_left(node, reason) { ::events.append("left " + node + " " + reason); }
            function handle_invitation_accepted(lobby) { ::events.append("invited " + lobby); }
        };)");
        evaluate("Network.init_default_handler();");
    }

    void TearDown() override {
        manager.teardown();
        g_connection_manager = nullptr;
        // The root is a script object and must go before the VM does.
        g_script_root->root.reset();
        BindingTest::TearDown();
    }

    std::string events() { return evaluate_string("local s = \"\"; foreach (e in ::events) s += e + \";\"; return s;"); }

    test::FakeLobbyWorld world;
    test::FakeLobbyPlatform platform{world, kUser};
    ConnectionManager manager;
};

TEST_F(LobbyScriptTest, CreateReportsTheLobbyIdAsDecimalTextAndLeaveEndsIt) {
    EXPECT_TRUE(evaluate_bool("return Network.implements_lobby();"));
    EXPECT_TRUE(evaluate_bool("return Network.create_lobby(\"any truthy value\", 4, 7);"));
    EXPECT_FALSE(evaluate_bool("return Network.is_lobby_owner();"));
    platform.run_callbacks();
    const std::string lobby = std::to_string(manager.lobby().lobby_id());
    EXPECT_EQ(events(), "created " + lobby + " 5 string;");
    EXPECT_TRUE(evaluate_bool("return Network.is_lobby_owner();"));
    EXPECT_EQ(evaluate_integer("return Network.get_connection_mode(5);"), 3);
    EXPECT_EQ(evaluate_integer("return Network.get_connection_version(5);"), 7);
    EXPECT_FALSE(evaluate_bool("return Network.kick_from_lobby(9, NETWORK_RESULT_KICK);"));
    EXPECT_TRUE(evaluate_bool("return Network.leave_lobby(NETWORK_RESULT_LEAVE);"));
    EXPECT_EQ(events(), "created " + lobby + " 5 string;left 5 5;");
    EXPECT_FALSE(evaluate_bool("return Network.leave_lobby(NETWORK_RESULT_LEAVE);"));
    EXPECT_TRUE(logged("warning: Tried to leave lobby while in mode 0. Expected MODE_LOBBY"));
}

TEST_F(LobbyScriptTest, ARefusingCreateCallbackLeavesTheLobbyAgain) {
    evaluate("::creation_answer <- NETWORK_RESULT_FULL;");
    EXPECT_TRUE(evaluate_bool("return Network.create_lobby(false, 4, 7);"));
    platform.run_callbacks();
    EXPECT_TRUE(logged("error: Lobby create callback refused the lobby creation with result 3, leaving it again"));
    EXPECT_EQ(manager.mode(), ConnectionManager::None);
    EXPECT_TRUE(world.lobbies.empty());
}

TEST_F(LobbyScriptTest, BadArgumentsFailWithoutChangingAnything) {
    EXPECT_FALSE(evaluate_bool("return Network.join_lobby(\"12x\", 7);"));
    EXPECT_TRUE(logged("warning: join_lobby: '12x' is not a lobby id"));
    EXPECT_EQ(error_of("Network.join_lobby(12, 7)"), "Expecting string.");
    EXPECT_EQ(error_of("Network.create_lobby(true, \"four\", 7)"), "Expecting integer.");
    evaluate("Network.set_invitations_mode(5);");
    EXPECT_TRUE(logged("warning: Invitation mode 5 is not 0 (accept), 1 (discard) or 2 (delay), ignoring it"));
    EXPECT_EQ(manager.mode(), ConnectionManager::None);
    EXPECT_FALSE(evaluate_bool("return Network.update_connection_state(5);"));
}

TEST_F(LobbyScriptTest, ADelayedInvitationReachesTheScriptWhenItAccepts) {
    platform.dispatcher().post(platform::GameLobbyJoinRequested{1234567890123ULL, 0});
    platform.run_callbacks();
    EXPECT_EQ(events(), "");
    evaluate("Network.set_invitations_mode(0);");
    EXPECT_EQ(events(), "invited 1234567890123;");
}

TEST_F(LobbyScriptTest, WithoutALobbyServiceThereAreNoLobbies) {
    manager.start(nullptr);
    EXPECT_FALSE(evaluate_bool("return Network.implements_lobby();"));
    EXPECT_FALSE(evaluate_bool("return Network.create_lobby(false, 4, 7);"));
    EXPECT_TRUE(logged("error: Failed to create new Steam lobby"));
}

}  // namespace
}  // namespace me
