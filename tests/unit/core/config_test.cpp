#include <climits>

#include "core/builtin_cvars.h"
#include "core/cvar_default.h"
#include "core/paths.h"
#include "spine_test_environment.h"

namespace me {
namespace {

using test::SpineTest;

CVar typed(CVarType type, const char* text) {
    CVar cvar("test");
    cvar.set_type(type);
    cvar.set_from_text(text);
    return cvar;
}

TEST(CVarValue, BoolKeepsOnlyZeroOrOne) {
    CVar yes = typed(CVarType::Bool, "yes");
    EXPECT_EQ(yes.text(), "0");
    EXPECT_EQ(yes.int_value(), 0);
    CVar two = typed(CVarType::Bool, "2");
    EXPECT_EQ(two.text(), "1");
    EXPECT_EQ(two.int_value(), 1);
    EXPECT_FLOAT_EQ(two.float_value(), 1.0f);
    EXPECT_EQ(typed(CVarType::Bool, "-3").text(), "1");
}

TEST(CVarValue, IntReadsLeadingDigitsAndSaturates) {
    CVar partial = typed(CVarType::Int, "12abc");
    EXPECT_EQ(partial.int_value(), 12);
    EXPECT_EQ(partial.text(), "12");
    EXPECT_FLOAT_EQ(partial.float_value(), 12.0f);
    EXPECT_EQ(typed(CVarType::Int, "-7.9").int_value(), -7);
    EXPECT_EQ(typed(CVarType::Int, "99999999999").int_value(), INT_MAX);
    EXPECT_EQ(typed(CVarType::Int, "-99999999999").text(), "-2147483648");
    EXPECT_EQ(typed(CVarType::Int, "").text(), "0");
}

TEST(CVarValue, FloatTextIsPercentGAndIntegerTruncates) {
    EXPECT_EQ(typed(CVarType::Float, "0.10").text(), "0.1");
    CVar fps = typed(CVarType::Float, "130");
    EXPECT_EQ(fps.text(), "130");
    EXPECT_EQ(fps.int_value(), 130);
    EXPECT_EQ(typed(CVarType::Float, "-2.7").int_value(), -2);
    EXPECT_EQ(typed(CVarType::Float, "1e30").int_value(), INT_MAX);
    EXPECT_EQ(typed(CVarType::Float, "-1e30").int_value(), INT_MIN);
    EXPECT_EQ(typed(CVarType::Float, "nan").int_value(), 0);
    EXPECT_EQ(typed(CVarType::Float, "junk").text(), "0");
}

TEST(CVarValue, StringKeepsTextAndReadsNumbers) {
    CVar value = typed(CVarType::String, " 3.5 apples");
    EXPECT_EQ(value.text(), " 3.5 apples");
    EXPECT_EQ(value.int_value(), 3);
    EXPECT_FLOAT_EQ(value.float_value(), 3.5f);
}

TEST(CVarValue, ChangedIsTakenOnce) {
    CVar cvar("x");
    cvar.add_flags(CVar::Changed);
    EXPECT_TRUE(cvar.take_changed());
    EXPECT_FALSE(cvar.take_changed());
}

using CVarRegistryTest = SpineTest;

TEST_F(CVarRegistryTest, BuiltInsAreRegisteredInReverseDeclarationOrder) {
    size_t records = 0;
    for (CVarDefault* record = CVarDefault::first(); record; record = record->next()) {
        ++records;
        ASSERT_NE(record->cvar(), nullptr) << record->name();
        EXPECT_TRUE(record->cvar()->has(CVar::Registered));
        EXPECT_FALSE(record->cvar()->has(CVar::HasValue));
    }
    EXPECT_GE(records, 44u);
    EXPECT_EQ(registry.variables().size(), records);
    auto position = [&](const char* name) {
        const auto& all = registry.variables();
        for (size_t i = 0; i < all.size(); ++i)
            if (all[i]->name() == name)
                return i;
        return all.size();
    };
    EXPECT_LT(position("network::log"), position("network::host"));
    EXPECT_LT(position("sound_volume_7"), position("sound_volume_0"));
    EXPECT_LT(position("system::save_dir"), position("draw_collisions"));
}

TEST_F(CVarRegistryTest, BuiltInDefaults) {
    EXPECT_EQ(registry.text("system::save_dir"), "Quillmoor Engine");
    EXPECT_EQ(registry.text("system::maximum_fps"), "130");
    EXPECT_EQ(registry.int_value("system::maximum_fps"), 130);
    EXPECT_FLOAT_EQ(registry.float_value("system::maximum_frame_duration"), 0.1f);
    EXPECT_EQ(registry.text("sound_volume_5"), "1");
    EXPECT_EQ(registry.int_value("sound_device"), -1);
    EXPECT_EQ(registry.int_value("network::port"), 22335);
    EXPECT_EQ(registry.text("network::host"), "127.0.0.1");
    EXPECT_EQ(registry.int_value("system::vsync"), 1);
    EXPECT_EQ(registry.int_value("joy_y_axis"), 1);
    EXPECT_EQ(registry.text("system::video_mode"), "");
    EXPECT_EQ(registry.find("system::maximum_fps")->type(), CVarType::Float);
    EXPECT_EQ(cvars::inactive_fps.float_value(), 20.0f);
}

TEST_F(CVarRegistryTest, MissingVariablesReadAsEmptyOrZero) {
    EXPECT_EQ(registry.find("no::such"), nullptr);
    EXPECT_EQ(registry.text("no::such"), "");
    EXPECT_EQ(registry.int_value("no::such"), 0);
    EXPECT_EQ(registry.float_value("no::such"), 0.0f);
    EXPECT_EQ(registry.find("no::such"), nullptr);
}

TEST_F(CVarRegistryTest, SecondRegistrationIsRefusedAndKeepsTheFirst) {
    CVar& first = registry.register_cvar("game::lives", CVarType::Int, "3");
    CVar& second = registry.register_cvar("game::lives", CVarType::String, "many");
    EXPECT_EQ(&first, &second);
    EXPECT_EQ(first.type(), CVarType::Int);
    EXPECT_EQ(first.text(), "3");
    EXPECT_TRUE(logged("error: CVar 'game::lives' already registered!"));
    registry.register_cvar("system::vsync", CVarType::Bool, "0");
    EXPECT_EQ(registry.text("system::vsync"), "1");
}

TEST_F(CVarRegistryTest, RegistrationRetypesAValueSetEarlier) {
    write_file("boot.config", "game::flag = yes\ngame::speed = 0.10\n");
    ASSERT_TRUE(registry.load_boot());
    EXPECT_EQ(registry.text("game::flag"), "yes");
    registry.register_cvar("game::flag", CVarType::Bool, "1");
    registry.register_cvar("game::speed", CVarType::Float, "5");
    EXPECT_EQ(registry.text("game::flag"), "0");
    EXPECT_EQ(registry.text("game::speed"), "0.1");
    EXPECT_TRUE(registry.find("game::flag")->has(CVar::HasValue));
}

TEST_F(CVarRegistryTest, RunTimeSetsMarkPersistAndChanged) {
    registry.set_int("system::window_mode", -2);
    CVar* mode = registry.find("system::window_mode");
    EXPECT_EQ(mode->int_value(), -2);
    EXPECT_EQ(mode->flags() & (CVar::HasValue | CVar::Persist | CVar::Changed),
              CVar::HasValue | CVar::Persist | CVar::Changed);
    EXPECT_TRUE(cvars::window_mode.take_changed());
    EXPECT_FALSE(cvars::window_mode.take_changed());
    registry.set_float("game::ratio", 0.25);
    EXPECT_EQ(registry.text("game::ratio"), "0.25");
    registry.set_text("system::maximum_fps", "75.50");
    EXPECT_EQ(registry.text("system::maximum_fps"), "75.5");
}

TEST_F(CVarRegistryTest, FileLineSyntax) {
    write_file("boot.config",
               "# comment without equals sign\r\n"
               "\r\n"
               "system::maximum_fps=60\r\n"
               "  system::window_title \t=  \"My  Game\"  \r"
               "game::empty = \"\"\n"
               "game::quote = \"\n"
               "game::equals = a=b=c\n"
               "game::inner = \"say \"hi\"\"\n"
               "   = nameless\n"
               "game::unquoted = one two \n"
               "game::last = no newline");
    ASSERT_TRUE(registry.load_boot());
    EXPECT_EQ(registry.int_value("system::maximum_fps"), 60);
    EXPECT_EQ(registry.text("system::window_title"), "My  Game");
    EXPECT_EQ(registry.text("game::empty"), "");
    EXPECT_NE(registry.find("game::empty"), nullptr);
    EXPECT_EQ(registry.text("game::quote"), "\"");
    EXPECT_EQ(registry.text("game::equals"), "a=b=c");
    EXPECT_EQ(registry.text("game::inner"), "say \"hi\"");
    EXPECT_EQ(registry.text("game::unquoted"), "one two");
    EXPECT_EQ(registry.text("game::last"), "no newline");
    EXPECT_EQ(registry.find(""), nullptr);
    EXPECT_EQ(registry.find("# comment without equals sign"), nullptr);
    EXPECT_EQ(registry.find("game::last")->type(), CVarType::String);
}

TEST_F(CVarRegistryTest, LaterLinesOverrideAndLoadingNeverMarksChanged) {
    write_file("boot.config", "system::vsync = 0\nsystem::vsync = 1\nsystem::cursor = 1\n");
    ASSERT_TRUE(registry.load_boot());
    EXPECT_EQ(registry.int_value("system::vsync"), 1);
    EXPECT_FALSE(cvars::cursor.take_changed());
}

TEST_F(CVarRegistryTest, MissingBootConfigFailsAndEmptyOneSucceeds) {
    EXPECT_FALSE(registry.load_boot());
    EXPECT_TRUE(logged("error: Can't read file 'boot.config'."));
    write_file("boot.config", "");
    EXPECT_TRUE(registry.load_boot());
}

TEST_F(CVarRegistryTest, MissingUserConfigIsSilentAndEnablesSaving) {
    registry.load_user();
    EXPECT_TRUE(registry.loaded());
    EXPECT_EQ(log_text(), "");
}

TEST_F(CVarRegistryTest, NothingIsSavedBeforeTheUserConfigIsLoaded) {
    registry.set_int("game::level", 4);
    registry.save_user();
    EXPECT_FALSE(std::filesystem::exists(CVarRegistry::user_config_path()));
}

TEST_F(CVarRegistryTest, OnlyUserAndRunTimeValuesAreWrittenBack) {
    write_file("boot.config", "system::save_dir = root:saves\nsystem::vsync = 0\n");
    ASSERT_TRUE(registry.load_boot());
    write_file("saves/game_config.txt", "system::maximum_fps=60\n");
    registry.load_user();
    registry.set_int("game::level", 4);
    registry.save_user();
    EXPECT_EQ(read_file("saves/game_config.txt"),
              "system::maximum_fps = \"60\"\r\n"
              "game::level = \"4\"\r\n");
}

TEST_F(CVarRegistryTest, SavedValuesReadBackUnchanged) {
    registry.set_text("system::save_dir", "root:nested/dir");
    registry.load_user();
    registry.set_text("game::name", " padded \"quoted\" ");
    registry.set_text("system::windowed_resolution", "");
    registry.set_float("sound_volume_2", 0.5);
    registry.save_user();

    CVarRegistry reloaded;
    reloaded.set_text("system::save_dir", "root:nested/dir");
    reloaded.load_user();
    EXPECT_EQ(reloaded.text("game::name"), " padded \"quoted\" ");
    EXPECT_NE(reloaded.find("system::windowed_resolution"), nullptr);
    EXPECT_EQ(reloaded.text("sound_volume_2"), "0.5");
    EXPECT_TRUE(reloaded.find("game::name")->has(CVar::Persist));
}

TEST_F(CVarRegistryTest, LinesThatWouldNotReadBackAreLeftOut) {
    registry.set_text("system::save_dir", "root:out");
    registry.load_user();
    registry.set_text("bad=name", "1");
    registry.set_text("game::fine", "1");
    registry.save_user();
    EXPECT_EQ(read_file("out/game_config.txt"), "system::save_dir = \"root:out\"\r\ngame::fine = \"1\"\r\n");
    EXPECT_TRUE(logged("warning: CVar 'bad=name' would not read back intact and is not saved."));
}

TEST_F(CVarRegistryTest, RunTimeLineBreaksBecomeSpacesAndCannotAddLines) {
    registry.set_text("system::save_dir", "root:out");
    registry.load_user();
    registry.set_text("game::sneaky", "1\nsystem::save_dir = /\r\n");
    registry.set_int("game::after", 2);
    EXPECT_EQ(registry.text("game::sneaky"), "1 system::save_dir = /  ");
    EXPECT_TRUE(logged("warning: CVar 'game::sneaky' was given a line break, which is replaced by a space."));
    registry.save_user();
    EXPECT_EQ(read_file("out/game_config.txt"),
              "system::save_dir = \"root:out\"\r\n"
              "game::sneaky = \"1 system::save_dir = /  \"\r\n"
              "game::after = \"2\"\r\n");
    CVarRegistry reloaded;
    reloaded.set_text("system::save_dir", "root:out");
    reloaded.load_user();
    EXPECT_EQ(reloaded.text("system::save_dir"), "root:out");
    EXPECT_EQ(reloaded.text("game::sneaky"), "1 system::save_dir = /  ");
}

TEST_F(CVarRegistryTest, SaveFailureIsLogged) {
    write_file("blocker", "a file where a directory should be");
    registry.set_text("system::save_dir", "root:blocker/sub");
    registry.load_user();
    registry.save_user();
    EXPECT_TRUE(logged("error: Error saving config to 'blocker/sub/game_config.txt'."));
}

// A save that cannot finish leaves the user's settings as they were, and a
// finished save leaves no temporary file behind.
TEST_F(CVarRegistryTest, FailedSaveKeepsTheOldFileWhole) {
    write_file("out/game_config.txt", "game::kept = \"1\"\r\n");
    registry.set_text("system::save_dir", "root:out");
    registry.load_user();
    registry.set_int("game::kept", 2);
    std::filesystem::create_directory("out/game_config.txt.~writing");
    registry.save_user();
    EXPECT_EQ(read_file("out/game_config.txt"), "game::kept = \"1\"\r\n");
    EXPECT_TRUE(logged("error: Error saving config to 'out/game_config.txt'."));

    std::filesystem::remove("out/game_config.txt.~writing");
    registry.save_user();
    EXPECT_EQ(read_file("out/game_config.txt"), "system::save_dir = \"root:out\"\r\ngame::kept = \"2\"\r\n");
    EXPECT_FALSE(std::filesystem::exists("out/game_config.txt.~writing"));
}

TEST_F(CVarRegistryTest, UserConfigPathFollowsSaveDir) {
    setenv("XDG_DOCUMENTS_DIR", (root + "/docs").c_str(), 1);
    registry.set_text("system::save_dir", "user:My Game\\");
    EXPECT_EQ(CVarRegistry::user_config_path(), root + "/docs/My Game/game_config.txt");
}

TEST_F(CVarRegistryTest, ArbitraryBytesLoadAndWhatIsSavedReadsBackTheSame) {
    uint32_t seed = 12345;
    auto next_byte = [&seed] {
        seed = seed * 1103515245u + 12345u;
        const char alphabet[] = "ab=\"\r\n \t#:\x01\xff";
        return alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    };
    registry.set_text("system::save_dir", "root:fuzz");
    size_t compared = 0;
    for (int round = 0; round < 50; ++round) {
        std::string bytes;
        for (int i = 0; i < 200; ++i)
            bytes += next_byte();
        write_file("fuzz/game_config.txt", bytes);
        CVarRegistry first;
        first.set_text("system::save_dir", "root:fuzz");
        first.load_user();
        first.save_user();
        std::string saved = read_file("fuzz/game_config.txt");
        CVarRegistry second;
        second.set_text("system::save_dir", "root:fuzz");
        second.load_user();
        for (const auto& cvar : first.variables()) {
            if (!cvar->has(CVar::Persist) || saved.find(cvar->name() + " = ") == std::string::npos)
                continue;
            ++compared;
            ASSERT_NE(second.find(cvar->name()), nullptr) << "round " << round;
            EXPECT_EQ(second.text(cvar->name()), cvar->text()) << "round " << round;
        }
        second.save_user();
        EXPECT_EQ(read_file("fuzz/game_config.txt"), saved) << "round " << round;
    }
    EXPECT_GT(compared, 100u);
}

TEST(CVarDefaultRecord, ReadsItsDefaultWhenNoRegistryHoldsIt) {
    {
        CVarRegistry registry;
        registry.register_defaults();
        registry.set_int("network::port", 9);
        EXPECT_EQ(cvars::network_port.int_value(), 9);
    }
    EXPECT_EQ(cvars::network_port.cvar(), nullptr);
    EXPECT_EQ(cvars::network_port.int_value(), 22335);
    EXPECT_EQ(cvars::maximum_frame_duration.text(), "0.1");
}

}  // namespace
}  // namespace me
