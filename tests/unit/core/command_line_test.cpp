#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/command_line.h"

namespace me {
namespace {

// Runs the command line from a scratch folder and puts the working folder
// back afterwards, whatever the test did to it.
class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        m_scratch = std::filesystem::temp_directory_path() /
                    ("command_line_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                     ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(m_scratch / "game");
        std::filesystem::current_path(m_scratch);
    }

    void TearDown() override {
        std::filesystem::current_path(m_previous);
        std::filesystem::remove_all(m_scratch);
    }

    std::optional<int> apply(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "quillmoor");
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        return apply_command_line(static_cast<int>(arguments.size()), argv.data(), out, err, options);
    }

    std::filesystem::path here() const { return std::filesystem::current_path(); }

    std::filesystem::path m_previous;
    std::filesystem::path m_scratch;
    std::ostringstream out;
    std::ostringstream err;
    LaunchOptions options;
};

TEST_F(CommandLineTest, NoArgumentsRunTheGameInTheCurrentFolder) {
    EXPECT_EQ(apply({}), std::nullopt);
    EXPECT_EQ(here(), m_scratch);
    EXPECT_TRUE(out.str().empty());
    EXPECT_TRUE(err.str().empty());
}

TEST_F(CommandLineTest, AFolderArgumentIsEnteredRelativeOrAbsolute) {
    EXPECT_EQ(apply({"game"}), std::nullopt);
    EXPECT_EQ(here(), m_scratch / "game");
    std::filesystem::current_path(m_scratch);
    EXPECT_EQ(apply({(m_scratch / "game").string()}), std::nullopt);
    EXPECT_EQ(here(), m_scratch / "game");
}

TEST_F(CommandLineTest, AFolderThatCannotBeEnteredExitsWithOne) {
    EXPECT_EQ(apply({"missing"}), 1);
    EXPECT_NE(err.str().find("quillmoor: cannot enter the game folder 'missing': "), std::string::npos) << err.str();
    EXPECT_EQ(here(), m_scratch);

    std::filesystem::create_directories(m_scratch / "file_parent");
    { std::ofstream(m_scratch / "file_parent" / "plain"); }
    EXPECT_EQ(apply({"file_parent/plain"}), 1);
    EXPECT_EQ(here(), m_scratch);
}

TEST_F(CommandLineTest, HelpAndVersionPrintAndExitWithZeroWithoutEnteringAFolder) {
    EXPECT_EQ(apply({"game", "--help"}), 0);
    EXPECT_NE(out.str().find("Usage: quillmoor [GAME_DIR]"), std::string::npos);
    EXPECT_NE(out.str().find("--synctest N"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("--verify-replay FILE"), std::string::npos) << out.str();
    EXPECT_EQ(here(), m_scratch);
    out.str("");
    EXPECT_EQ(apply({"--version"}), 0);
    EXPECT_EQ(out.str(), std::string("quillmoor ") + kEngineVersion + "\n");
    EXPECT_TRUE(err.str().empty());
}

TEST_F(CommandLineTest, TheLobbyFormIsLeftAloneWithEachLeadCharacter) {
    for (const char* flag : {"+connect_lobby", "-connect_lobby", "/connect_lobby"}) {
        EXPECT_EQ(apply({flag, "12345"}), std::nullopt) << flag;
        EXPECT_EQ(here(), m_scratch) << flag;
    }
    EXPECT_EQ(apply({"+connect_lobby", "12345", "game"}), std::nullopt);
    EXPECT_EQ(here(), m_scratch / "game");
    EXPECT_TRUE(err.str().empty());
}

TEST_F(CommandLineTest, ALobbyFlagWithoutItsIdAsksForNothingMore) {
    EXPECT_EQ(apply({"+connect_lobby"}), std::nullopt);
    EXPECT_EQ(here(), m_scratch);
}

TEST_F(CommandLineTest, NearMissesOfTheLobbyFlagAreFolders) {
    EXPECT_EQ(apply({"*connect_lobby"}), 1);
    EXPECT_EQ(apply({"+connect_lobbyX"}), 1);
    EXPECT_EQ(here(), m_scratch);
}

TEST_F(CommandLineTest, ASecondFolderIsRefused) {
    EXPECT_EQ(apply({"game", "other"}), 1);
    EXPECT_NE(err.str().find("quillmoor: unexpected argument 'other'"), std::string::npos) << err.str();
    EXPECT_EQ(here(), m_scratch);
}

struct LaunchOptionCase {
    std::vector<std::string> arguments;
    std::optional<int> exit_code;
    int32_t synctest_ticks;
    std::string verify_replay;  // relative to the launch folder; "" when not asked
    bool enters_game;
    std::string complaint;
};

// The options may stand anywhere around the game folder; a replay named
// relative to the launch folder stays there once the game folder is entered.
TEST_F(CommandLineTest, LaunchOptionsAreReadInAnyPositionAndBadValuesExitWithOne) {
    const LaunchOptionCase cases[] = {
        {{"--synctest", "8"}, std::nullopt, 8, "", false, ""},
        {{"game", "--synctest", "1"}, std::nullopt, 1, "", true, ""},
        {{"--synctest", "2147483647", "game"}, std::nullopt, 2147483647, "", true, ""},
        {{"--verify-replay", "run.rep", "game"}, std::nullopt, 0, "run.rep", true, ""},
        {{"game", "--verify-replay", "replays/../run.rep"}, std::nullopt, 0, "run.rep", true, ""},
        {{"--verify-replay", "/elsewhere/run.rep"}, std::nullopt, 0, "/elsewhere/run.rep", false, ""},
        {{"--verify-replay", "r.rep", "--synctest", "4", "+connect_lobby", "5", "game"}, std::nullopt, 4, "r.rep",
         true, ""},
        {{"--synctest"}, 1, 0, "", false, "--synctest needs a value"},
        {{"game", "--synctest", "0"}, 1, 0, "", false, "not '0'"},
        {{"--synctest", "-3", "game"}, 1, 0, "", false, "not '-3'"},
        {{"--synctest", "8x"}, 1, 0, "", false, "not '8x'"},
        {{"--synctest", "2147483648"}, 1, 0, "", false, "not '2147483648'"},
        {{"--synctest", ""}, 1, 0, "", false, "not ''"},
        {{"--synctest", "game"}, 1, 0, "", false, "not 'game'"},
        {{"game", "--verify-replay"}, 1, 0, "", false, "--verify-replay needs a value"},
        {{"--verify-replay", "", "game"}, 1, 0, "", false, "--verify-replay needs a file name"},
    };
    for (const LaunchOptionCase& test : cases) {
        std::string line;
        for (const std::string& argument : test.arguments)
            line += "'" + argument + "' ";
        err.str("");
        options.synctest_ticks = -1;
        EXPECT_EQ(apply(test.arguments), test.exit_code) << line;
        EXPECT_EQ(here(), test.enters_game ? m_scratch / "game" : m_scratch) << line;
        std::filesystem::current_path(m_scratch);
        if (test.exit_code) {
            EXPECT_TRUE(err.str().starts_with("quillmoor: ")) << line << err.str();
            EXPECT_NE(err.str().find(test.complaint), std::string::npos) << line << err.str();
            EXPECT_NE(err.str().find("Usage: quillmoor"), std::string::npos) << line;
            continue;
        }
        EXPECT_TRUE(err.str().empty()) << line << err.str();
        EXPECT_EQ(options.synctest_ticks, test.synctest_ticks) << line;
        const std::string expected_replay =
            test.verify_replay.empty() ? "" : (m_scratch / test.verify_replay).lexically_normal().string();
        EXPECT_EQ(options.verify_replay, expected_replay) << line;
    }
}

}  // namespace
}  // namespace me
