#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>

#include "platform_services_fixture.h"

namespace me {
namespace {

using PlatformServicesTest = test::PlatformServicesTest;

TEST_F(PlatformServicesTest, StatisticsAreRequestedOnTheFirstFrameAndArriveThroughTheCallbacks) {
    EXPECT_TRUE(services.is_available());
    EXPECT_FALSE(services.stats_received());
    services.housekeeping();
    EXPECT_FALSE(services.stats_received());
    client.run_callbacks();
    EXPECT_TRUE(services.stats_received());
    EXPECT_TRUE(logged("Received stats and achievements from Steam."));
    frame();
    EXPECT_EQ(times_logged("Received stats"), 1u) << "asked for once only";
    services.stop();
    EXPECT_FALSE(services.is_available());
    EXPECT_FALSE(evaluate_bool("return ::System.steam_is_available();"));
}

TEST_F(PlatformServicesTest, NothingIsSetOrStoredBeforeTheStatisticsArrive) {
    EXPECT_TRUE(evaluate_bool("return ::System.steam_is_available();"));
    evaluate("::System.steam_unlock_achievement(\"WIN\"); ::System.steam_set_integer_stat(\"kills\", 3);");
    EXPECT_FALSE(services.store_requested());
    EXPECT_FALSE(services.dirty());
    frame();
    frame();
    EXPECT_FALSE(evaluate_bool("return ::System.steam_is_achievement_unlocked(\"WIN\");"));
    EXPECT_EQ(evaluate_integer("return ::System.steam_get_integer_stat(\"kills\");"), 0);
    EXPECT_FALSE(std::filesystem::exists("save/platform/76561197960265729/stats.txt"));
}

TEST_F(PlatformServicesTest, SetStatisticsWaitForAStoreThatAnUnlockOrTheGameAsksFor) {
    frame();
    evaluate("::System.steam_set_integer_stat(\"kills\", 7); ::System.steam_set_float_stat(\"time\", 2.5);");
    EXPECT_TRUE(services.dirty());
    frame();
    frame();
    EXPECT_EQ(stats_file(), "") << "a set statistic alone is never stored";
    evaluate("::System.steam_unlock_achievement(\"WIN\");");
    EXPECT_TRUE(services.store_requested());
    frame();
    EXPECT_FALSE(services.dirty());
    EXPECT_FALSE(services.store_requested());
    EXPECT_EQ(stats_file(), "quillmoor-stats 1\nint 7 kills\nfloat 2.5 time\nachievement 1 WIN\n");

    evaluate("::System.steam_set_integer_stat(\"kills\", 8); ::System.steam_store_stats_if_necessary();");
    EXPECT_NE(stats_file().find("int 8 kills"), std::string::npos) << "stored at once, not on the next frame";
    EXPECT_EQ(evaluate_integer("return ::System.steam_get_integer_stat(\"kills\");"), 8);
    EXPECT_FLOAT_EQ(evaluate_float("return ::System.steam_get_float_stat(\"time\");"), 2.5f);
    EXPECT_TRUE(evaluate_bool("return ::System.steam_is_achievement_unlocked(\"WIN\");"));

    evaluate("::System.steam_store_stats_if_necessary();");
    EXPECT_FALSE(services.store_requested()) << "nothing changed: the request is dropped";
}

TEST_F(PlatformServicesTest, AFailedStoreIsTriedAgainEveryFrameUntilItSucceeds) {
    frame();
    // A file where the statistics file's folder should be makes every store fail.
    write_file("save/platform/76561197960265729", "in the way");
    services.unlock_achievement("WIN");
    for (int i = 0; i < 3; ++i)
        frame();
    EXPECT_TRUE(services.dirty());
    EXPECT_TRUE(services.store_requested());
    EXPECT_EQ(times_logged("error: Statistics can't be saved to '"), 1u) << "the failure is logged once";
    std::filesystem::remove("save/platform/76561197960265729");
    frame();
    EXPECT_FALSE(services.dirty());
    EXPECT_EQ(stats_file(), "quillmoor-stats 1\nachievement 1 WIN\n");
    EXPECT_TRUE(logged("Statistics saved to 'save/platform/76561197960265729/stats.txt' again."));
}

TEST_F(PlatformServicesTest, StatisticsNotificationsAreHandledByTheirResult) {
    frame();
    const uint64_t game = client.game_id();
    struct Case {
        platform::Notification notification;
        const char* logged_line;
    };
    const Case cases[] = {
        {platform::UserStatsReceived{game, platform::ResultFail, 1}, "warning: RequestCurrentStats() failed 2."},
        {platform::UserStatsStored{game, platform::ResultAccessDenied}, "warning: Steam StoreStats() failed 15."},
        {platform::UserStatsStored{game, platform::ResultInvalidParam},
         "warning: Steam StoreStats(): Some stats failed to validate!"},
    };
    for (const Case& c : cases) {
        client.callbacks().post(c.notification);
        client.run_callbacks();
        EXPECT_TRUE(logged(c.logged_line)) << c.logged_line;
    }
    EXPECT_EQ(times_logged("Received stats"), 2u) << "only the rejected store counts as a fresh receipt";

    client.callbacks().post(platform::UserStatsStored{game + 1, platform::ResultFail});
    client.callbacks().post(platform::UserStatsReceived{game + 1, platform::ResultFail, 1});
    client.run_callbacks();
    EXPECT_FALSE(logged("warning: Steam StoreStats() failed 2.")) << "another game's notification";
    EXPECT_EQ(times_logged("RequestCurrentStats() failed"), 1u) << "another game's notification";
}

TEST_F(PlatformServicesTest, FailedReadsAndWritesAreLoggedAndAnswerNothing) {
    frame();
    services.set_integer_stat("score", 3);
    services.set_float_stat("score", 1.5f);
    EXPECT_TRUE(logged("warning: Steam SetStat( score ) failed."));
    EXPECT_FLOAT_EQ(services.float_stat("score"), 0.0f);
    EXPECT_TRUE(logged("warning: Steam GetStat( score ) failed."));
    services.unlock_achievement("two words");
    EXPECT_TRUE(logged("warning: Steam SetAchievement( two words ) failed."));
    EXPECT_FALSE(services.is_achievement_unlocked("two words"));
    EXPECT_TRUE(logged("warning: Steam GetAchievement( two words ) failed."));
    services.reset_stats_and_achievements();
    EXPECT_TRUE(logged("warning: Resetting Steam stats and achievements..."));
    EXPECT_EQ(services.integer_stat("score"), 0);
    EXPECT_FALSE(logged("error: Steam ResetAllStats() failed."));
    services.stop();
    services.reset_stats_and_achievements();
    EXPECT_TRUE(logged("error: Steam ResetAllStats() failed."));
}

TEST_F(PlatformServicesTest, CloudFilesReadBackWhatWasWritten) {
    const std::string bytes("one\0two", 7);
    ASSERT_TRUE(services.cloud_write("slot.sav", bytes));
    ASSERT_TRUE(services.cloud_write("empty", ""));
    EXPECT_EQ(services.cloud_read("slot.sav"), bytes);
    EXPECT_EQ(services.cloud_read("empty"), "");
    EXPECT_FALSE(services.cloud_read("missing").has_value());
    EXPECT_TRUE(logged("error: Steam Cloud: Can't read file 'missing'."));
    EXPECT_FALSE(services.cloud_write(std::string(300, 'n'), "x"));
    EXPECT_TRUE(logged("error: Steam Cloud: Error writting file '" + std::string(300, 'n') + "'."));
}

TEST_F(PlatformServicesTest, ScriptFunctionsCheckTheirArguments) {
    const std::pair<const char*, const char*> cases[] = {
        {"::System.steam_unlock_achievement(1)", "Expecting string."},
        {"::System.steam_is_achievement_unlocked(null)", "Expecting string."},
        {"::System.steam_activate_game_overlay()", "Expecting string."},
        {"::System.steam_set_integer_stat(\"a\", \"3\")", "Expecting integer."},
        {"::System.steam_set_integer_stat(3, 3)", "Expecting string."},
        {"::System.steam_set_float_stat(\"a\", null)", "Expecting float."},
        {"::System.steam_get_float_stat([])", "Expecting string."},
        {"::System.is_game_center_achievement_completed(2)", "Expecting string."},
        {"::System.steam_get_integer_stat(\"a\")", "no error"},
    };
    for (const auto& [expression, error] : cases)
        EXPECT_EQ(error_of(expression), error) << expression;
}

TEST_F(PlatformServicesTest, TheSecondAchievementServiceIsAbsent) {
    EXPECT_FALSE(evaluate_bool("return ::System.is_game_center_available();"));
    EXPECT_FALSE(evaluate_bool("return ::System.is_game_center_achievement_completed(\"a\");"));
    EXPECT_FLOAT_EQ(evaluate_float("return ::System.get_game_center_achievement_progress(\"a\");"), 0.0f);
    EXPECT_EQ(error_of("::System.submit_game_center_achievement_progress(\"a\", 0.5); "
                       "::System.show_game_center_achievements()"),
              "no error");
}

TEST_F(PlatformServicesTest, OverlayWebPagesOpenThroughXdgOpenAndOtherDialogsAreLogged) {
    evaluate("::System.steam_activate_game_overlay(\"Friends\");");
    EXPECT_TRUE(logged("Overlay dialog 'Friends' is not available on the offline platform."));

    // A stand-in xdg-open first on the PATH records the URL it was given.
    write_file("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > \"" + root + "/opened.tmp\"\nmv \"" + root +
                                   "/opened.tmp\" \"" + root + "/opened\"\n");
    std::filesystem::permissions("bin/xdg-open", std::filesystem::perms::owner_all);
    const std::string previous_path = getenv("PATH") != nullptr ? getenv("PATH") : "";
    setenv("PATH", (root + "/bin:" + previous_path).c_str(), 1);
    evaluate("::System.steam_activate_game_overlay_to_web_page(\"https://example.com/a b?c=1;d\");");
    setenv("PATH", previous_path.c_str(), 1);
    for (int i = 0; i < 5000 && !std::filesystem::exists("opened"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(read_file("opened"), "https://example.com/a b?c=1;d");
}

}  // namespace
}  // namespace me
