#include <sys/stat.h>

#include "core/paths.h"
#include "spine_test_environment.h"

namespace me {
namespace {

using test::SpineTest;

TEST(PathNormalise, BothSeparatorsBecomeSlashesWithoutTrailingOnes) {
    EXPECT_EQ(paths::normalise("games/demo/"), "games/demo");
    EXPECT_EQ(paths::normalise("games\\demo\\\\"), "games/demo");
    EXPECT_EQ(paths::normalise("a\\b/c"), "a/b/c");
    EXPECT_EQ(paths::normalise("/abs/path/"), "/abs/path");
    EXPECT_EQ(paths::normalise("plain"), "plain");
    EXPECT_EQ(paths::normalise(""), "");
}

TEST(PathNormalise, OneOrTwoSeparatorsAloneAreKept) {
    EXPECT_EQ(paths::normalise("\\\\"), "//");
    EXPECT_EQ(paths::normalise("\\"), "/");
    EXPECT_EQ(paths::normalise("/"), "/");
    EXPECT_EQ(paths::normalise("////"), "//");
}

TEST(PathJoin, OneSeparatorBetweenTheParts) {
    EXPECT_EQ(paths::join("a", "b"), "a/b");
    EXPECT_EQ(paths::join("a/", "b"), "a/b");
    EXPECT_EQ(paths::join("a\\", "b\\c\\"), "a/b/c");
    EXPECT_EQ(paths::join("", "b"), "b");
    EXPECT_EQ(paths::join("user:Saves", "game_log.txt"), "user:Saves/game_log.txt");
}

TEST(PathJoin, EmptySecondPartLeavesTheFirstUntouched) {
    EXPECT_EQ(paths::join("a\\b\\", ""), "a\\b\\");
    EXPECT_EQ(paths::join("", ""), "");
}

TEST(PathData, DataFilesLieBelowData) {
    EXPECT_EQ(paths::data_file("scripts\\main.nut"), "data/scripts/main.nut");
    EXPECT_EQ(paths::data_file(""), "data");
}

TEST(PathLibrary, LibraryNamesLieInLibBesideTheExecutable) {
    const std::pair<const char*, const char*> cases[] = {
        {"lib:netplay.nut", "/opt/quillmoor/bin/lib/netplay.nut"},
        {"lib:tools\\grid.nut", "/opt/quillmoor/bin/lib/tools/grid.nut"},
        {"lib:", "/opt/quillmoor/bin/lib"},
        {"scripts/main.nut", "scripts/main.nut"},
        {"library:x.nut", "library:x.nut"},
        {"LIB:x.nut", "LIB:x.nut"},
        {"user:lib:x.nut", "user:lib:x.nut"},
    };
    for (const auto& [path, resolved] : cases)
        EXPECT_EQ(paths::resolve_library(path, "/opt/quillmoor/bin"), resolved) << path;
    EXPECT_EQ(paths::resolve_library("lib:x.nut", "/opt/quillmoor/bin/"), "/opt/quillmoor/bin/lib/x.nut");
}

using PathResolve = SpineTest;

TEST_F(PathResolve, UserPrefixIsTheDocumentsFolder) {
    setenv("XDG_DOCUMENTS_DIR", (root + "/docs/").c_str(), 1);
    EXPECT_EQ(paths::resolve("user:Games/x"), root + "/docs/Games/x");
    EXPECT_EQ(paths::resolve("user:Games\\x\\"), root + "/docs/Games/x");
    EXPECT_EQ(paths::resolve("user:"), root + "/docs");
    EXPECT_TRUE(std::filesystem::is_directory(root + "/docs"));
}

TEST_F(PathResolve, WithoutXdgTheDocumentsFolderIsCreatedInHome) {
    EXPECT_FALSE(std::filesystem::exists(root + "/home/Documents"));
    EXPECT_EQ(paths::resolve("user:save.txt"), root + "/home/Documents/save.txt");
    EXPECT_TRUE(std::filesystem::is_directory(root + "/home/Documents"));
}

TEST_F(PathResolve, RootPrefixIsStrippedAndOtherPathsStay) {
    EXPECT_EQ(paths::resolve("root:abc"), "abc");
    EXPECT_EQ(paths::resolve("root:"), "");
    EXPECT_EQ(paths::resolve("C:\\x"), "C:\\x");
    EXPECT_EQ(paths::resolve("users:x"), "users:x");
    EXPECT_EQ(paths::resolve("plain/path"), "plain/path");
    EXPECT_EQ(paths::resolve("root:a:b"), "a:b");
    EXPECT_EQ(log_text(), "");
}

TEST_F(PathResolve, MissingDocumentsFolderIsLoggedAndThePathKept) {
    unsetenv("HOME");
    EXPECT_EQ(paths::resolve("user:x"), "user:x");
    EXPECT_TRUE(logged("error: Failed to obtain My Documents directory."));
}

TEST_F(PathResolve, DocumentsFolderThatCannotBeCreatedIsLogged) {
    write_file("not_a_dir", "x");
    setenv("XDG_DOCUMENTS_DIR", (root + "/not_a_dir").c_str(), 1);
    EXPECT_EQ(paths::resolve("user:x"), "user:x");
    EXPECT_TRUE(logged("error: Failed to obtain My Documents directory."));
}

TEST_F(PathResolve, SaveFilesFollowSaveDir) {
    EXPECT_EQ(paths::save_file("game_log.txt"), "Quillmoor Engine/game_log.txt");
    registry.set_text("system::save_dir", "user:My Game\\");
    EXPECT_EQ(paths::save_file("replays\\r.bin"), root + "/home/Documents/My Game/replays/r.bin");
    EXPECT_EQ(paths::save_dir(), root + "/home/Documents/My Game");
}

using CreateDirectories = SpineTest;

TEST_F(CreateDirectories, EveryComponentButTheLastIsCreated) {
    paths::create_directories("a/b\\c/file.txt");
    EXPECT_TRUE(std::filesystem::is_directory("a/b/c"));
    EXPECT_FALSE(std::filesystem::exists("a/b/c/file.txt"));
    paths::create_directories(root + "/abs//twice/name");
    EXPECT_TRUE(std::filesystem::is_directory(root + "/abs/twice"));
    EXPECT_FALSE(std::filesystem::exists(root + "/abs/twice/name"));
}

TEST_F(CreateDirectories, ExistingAndBlockedDirectoriesAreNotErrors) {
    paths::create_directories("x/y/f");
    paths::create_directories("x/y/f");
    write_file("file", "");
    paths::create_directories("file/sub/f");
    EXPECT_TRUE(std::filesystem::is_directory("x/y"));
    EXPECT_TRUE(std::filesystem::is_regular_file("file"));
    EXPECT_EQ(log_text(), "");
}

}  // namespace
}  // namespace me
