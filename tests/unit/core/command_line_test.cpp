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
        return apply_command_line(static_cast<int>(arguments.size()), argv.data(), out, err);
    }

    std::filesystem::path here() const { return std::filesystem::current_path(); }

    std::filesystem::path m_previous;
    std::filesystem::path m_scratch;
    std::ostringstream out;
    std::ostringstream err;
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

}  // namespace
}  // namespace me
