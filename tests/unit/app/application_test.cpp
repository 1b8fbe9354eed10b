#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/frame.h"
#include "app/game_controllers.h"
#include "app/main_window.h"
#include "audio/audio_system.h"
#include "core/application.h"
#include "core/builtin_cvars.h"
#include "core/cvar_registry.h"
#include "core/fatal_error.h"
#include "core/frame_pacer.h"
#include "core/message_box.h"
#include "gpu/render_device.h"
#include "network/connection_manager.h"
#include "platform/platform_services.h"
#include "script/interned_name.h"
#include "script/script_host.h"
#include "script/script_root.h"
#include "script_test_vm.h"

namespace me {
namespace {

TEST(ApplicationTest, ConstructionSetsTheDocumentedInitialState) {
    Application app;
    EXPECT_EQ(g_application, &app);
    EXPECT_FALSE(app.quit_requested);
    ASSERT_EQ(app.key_states.size(), 213u);
    for (uint8_t state : app.key_states)
        EXPECT_EQ(state, 0);
    for (const Color& color : app.text_colors) {
        EXPECT_EQ(color.red, 1.0f);
        EXPECT_EQ(color.alpha, 1.0f);
    }
    EXPECT_EQ(app.input_triple[0], 0);
    EXPECT_EQ(app.input_triple[1], 1);
    EXPECT_EQ(app.input_triple[2], 0);
    EXPECT_EQ(app.touch_positions[3][1], 0.0f);
}

TEST(ApplicationTest, DestructionClearsTheGlobal) {
    {
        Application app;
        ASSERT_EQ(g_application, &app);
    }
    EXPECT_EQ(g_application, nullptr);
}

TEST(ApplicationTest, ConstructionSeedsTheGeneratorFromTheClock) {
    Application app;
    Xorshift128 expected;
    expected.seed_from_current_time();
    // Two seeds taken within the same second agree; a second boundary may
    // fall between them, so accept the next second's seed too.
    if (app.rng.x() != expected.x())
        GTEST_SKIP() << "a second boundary fell between the two seeds";
    EXPECT_EQ(app.random_int(0, 1000000), expected.next_int(0, 1000000));
    EXPECT_NE(app.rng.x(), Xorshift128::kDefaultX);
}

TEST(ApplicationTest, WithoutAWindowTheApplicationIsNotActive) {
    Application app;
    EXPECT_FALSE(is_application_active());
}

TEST(ApplicationTest, RequestQuitSetsTheFlag) {
    Application app;
    app.request_quit();
    EXPECT_TRUE(app.quit_requested);
}

TEST(ApplicationKeysTest, PresentingClearsOnlyTheEdgeBits) {
    Application app;
    app.key_states[0] = Application::kKeyDown | Application::kKeyPressed;
    app.key_states[212] = Application::kKeyReleased;
    app.key_states[100] = Application::kKeyDown;
    app.mouse_dx = 3.0f;
    app.mouse_dy = -2.0f;
    app.clear_frame_input();
    EXPECT_EQ(app.key_states[0], Application::kKeyDown);
    EXPECT_EQ(app.key_states[212], 0);
    EXPECT_EQ(app.key_states[100], Application::kKeyDown);
    EXPECT_EQ(app.mouse_dx, 0.0f);
    EXPECT_EQ(app.mouse_dy, 0.0f);
}

TEST(ApplicationKeysTest, ReleasingHeldKeysReportsThemInAscendingOrder) {
    Application app;
    app.key_states[212] = Application::kKeyDown;
    app.key_states[7] = Application::kKeyDown | Application::kKeyPressed;
    app.key_states[0] = Application::kKeyDown;
    app.key_states[50] = Application::kKeyReleased;
    const std::vector<int> released = app.release_held_keys();
    EXPECT_EQ(released, (std::vector<int>{0, 7, 212}));
    EXPECT_EQ(app.key_states[0], Application::kKeyReleased);
    EXPECT_EQ(app.key_states[7], Application::kKeyPressed | Application::kKeyReleased);
    EXPECT_EQ(app.key_states[212], Application::kKeyReleased);
    EXPECT_EQ(app.key_states[50], Application::kKeyReleased);
    EXPECT_TRUE(app.release_held_keys().empty());
}

// A millisecond clock that moves only when the pacer yields or sleeps, or the
// test says so.
struct FakeClock {
    uint32_t now = 0;
    int yields = 0;
    int sleeps = 0;
    uint32_t slept_ms = 0;
    uint32_t sleep_overrun_ms = 0;

    FramePacer pacer() {
        return FramePacer([this] { return now; },
                          [this] {
                              ++yields;
                              ++now;
                          },
                          [this](uint32_t ms) {
                              ++sleeps;
                              slept_ms += ms;
                              now += ms + sleep_overrun_ms;
                          });
    }
};

TEST(FramePacerTest, SleepsThroughMostOfTheWaitAndYieldsOnlyAtTheEnd) {
    FakeClock clock;
    FramePacer pacer = clock.pacer();
    pacer.restart();
    FpsWindow fps;
    clock.now += 3;
    const float dt = pacer.wait_and_measure(50.0f, 0.1f, fps);
    EXPECT_NEAR(dt, 0.020f, 1e-6f);
    EXPECT_EQ(pacer.last_frame_ms(), 20u);
    EXPECT_GE(clock.slept_ms, 14u);
    EXPECT_LE(clock.yields, static_cast<int>(FramePacer::kYieldMarginMs) + 1);
}

// After start-up the first frame runs at once and still measures one frame.
TEST(FramePacerTest, RestartingOneFrameAgoLetsTheNextFrameRunAtOnce) {
    for (const float cap : {60.0f, 20.0f, 0.0f}) {
        FakeClock clock;
        clock.now = 1000;
        FramePacer pacer = clock.pacer();
        pacer.restart_one_frame_ago(cap);
        FpsWindow fps;
        const float dt = pacer.wait_and_measure(cap, 0.1f, fps);
        EXPECT_EQ(clock.sleeps, 0) << cap;
        EXPECT_EQ(clock.yields, 0) << cap;
        EXPECT_NEAR(dt, cap > 0.0f ? std::ceil(1000.0f / cap) / 1000.0f : 0.0f, 1e-6f) << cap;
    }
}

TEST(FramePacerTest, ASleepThatOverrunsByTheMarginStillMeetsTheCap) {
    FakeClock clock;
    clock.sleep_overrun_ms = FramePacer::kYieldMarginMs;
    FramePacer pacer = clock.pacer();
    pacer.restart();
    FpsWindow fps;
    const float dt = pacer.wait_and_measure(20.0f, 0.1f, fps);
    EXPECT_EQ(pacer.last_frame_ms(), 50u);
    EXPECT_NEAR(dt, 0.050f, 1e-6f);
}

TEST(FramePacerTest, TheLastMillisecondsAreYieldedNotSlept) {
    FakeClock clock;
    FramePacer pacer = clock.pacer();
    pacer.restart();
    FpsWindow fps;
    clock.now += 9;
    EXPECT_NEAR(pacer.wait_and_measure(100.0f, 0.1f, fps), 0.010f, 1e-6f);
    EXPECT_EQ(clock.sleeps, 0);
    EXPECT_EQ(clock.yields, 1);
}

TEST(FramePacerTest, ASlowFrameDoesNotWait) {
    FakeClock clock;
    FramePacer pacer = clock.pacer();
    pacer.restart();
    FpsWindow fps;
    clock.now += 25;
    EXPECT_NEAR(pacer.wait_and_measure(130.0f, 0.1f, fps), 0.025f, 1e-6f);
    EXPECT_EQ(clock.yields + clock.sleeps, 0);
}

TEST(FramePacerTest, MeasuresAcrossTheClockWrap) {
    FakeClock clock;
    clock.now = 0xFFFFFFF0u;
    FramePacer pacer = clock.pacer();
    pacer.restart();
    FpsWindow fps;
    clock.now = 0x10u;
    EXPECT_NEAR(pacer.wait_and_measure(1000.0f, 0.1f, fps), 0.032f, 1e-6f);
    EXPECT_EQ(clock.yields, 0);
}

TEST(FramePacerTest, AStallIsClampedButTheFpsWindowSeesAllOfIt) {
    FakeClock clock;
    FramePacer pacer = clock.pacer();
    pacer.restart();
    FpsWindow fps;
    clock.now += 500;
    EXPECT_FLOAT_EQ(pacer.wait_and_measure(130.0f, 0.1f, fps), 0.1f);
    EXPECT_FLOAT_EQ(fps.time, 0.5f);
    EXPECT_EQ(fps.frames, 1.0f);
}

TEST(FramePacerTest, ANonPositiveOrMissingCapNeverWaits) {
    for (float cap : {0.0f, -5.0f, std::numeric_limits<float>::quiet_NaN()}) {
        FakeClock clock;
        FramePacer pacer = clock.pacer();
        pacer.restart();
        FpsWindow fps;
        EXPECT_EQ(pacer.wait_and_measure(cap, 0.1f, fps), 0.0f);
        EXPECT_EQ(clock.yields + clock.sleeps, 0);
    }
}

TEST(FramePacerTest, RestartDropsTheTimeSpentBeforeIt) {
    FakeClock clock;
    FramePacer pacer = clock.pacer();
    pacer.restart();
    clock.now += 4000;
    pacer.restart();
    FpsWindow fps;
    clock.now += 8;
    EXPECT_NEAR(pacer.wait_and_measure(130.0f, 0.1f, fps), 0.008f, 1e-6f);
}

TEST(FpsWindowTest, ComputesOnlyAfterMoreThanHalfASecond) {
    FpsWindow fps;
    for (int i = 0; i < 4; ++i)
        fps.add_frame(0.125f);
    EXPECT_EQ(fps.fps, 0.0f);
    EXPECT_EQ(fps.frames, 4.0f);
    fps.add_frame(0.125f);
    EXPECT_FLOAT_EQ(fps.fps, 8.0f);
    EXPECT_EQ(fps.frames, 0.0f);
    EXPECT_EQ(fps.time, 0.0f);
}

// Sets environment variables for one test and puts the old values back.
class ScopedEnvironment {
public:
    ~ScopedEnvironment() {
        for (const auto& [name, value] : m_saved) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }

    void set(const std::string& name, const char* value) {
        const char* old = std::getenv(name.c_str());
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        if (value)
            setenv(name.c_str(), value, 1);
        else
            unsetenv(name.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

TEST(MessageBoxTest, BoxesGoToStandardErrorWithoutADisplay) {
    ScopedEnvironment environment;
    environment.set("QUILLMOOR_NO_MESSAGE_BOX", nullptr);
    environment.set("DISPLAY", nullptr);
    environment.set("WAYLAND_DISPLAY", "");
    EXPECT_TRUE(message_boxes_go_to_stderr());
    environment.set("WAYLAND_DISPLAY", "wayland-0");
    EXPECT_FALSE(message_boxes_go_to_stderr());
    environment.set("WAYLAND_DISPLAY", nullptr);
    environment.set("DISPLAY", ":0");
    EXPECT_FALSE(message_boxes_go_to_stderr());
    environment.set("QUILLMOOR_NO_MESSAGE_BOX", "");
    EXPECT_TRUE(message_boxes_go_to_stderr()) << "set, even when empty, the variable wins over a display";
}

class FatalErrorTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("QUILLMOOR_NO_MESSAGE_BOX", "1", 1); }
};

TEST_F(FatalErrorTest, ShowsTheMessageWithTheSuffixAndExitsWithOne) {
    EXPECT_TRUE(message_boxes_go_to_stderr());
    EXPECT_EXIT(fatal_error("Can't load boot config."), ::testing::ExitedWithCode(1),
                "Error: Can't load boot config\\. \\(error\\)");
}

TEST_F(FatalErrorTest, AnEmptyMessageSaysThereIsNoInformation) {
    EXPECT_EXIT(fatal_error(""), ::testing::ExitedWithCode(1), "Error: No error info\\. \\(error\\)");
}

TEST_F(FatalErrorTest, RunsTheExitHandlers) {
    EXPECT_EXIT(
        {
            std::atexit([] { std::fputs("exit handler ran\n", stderr); });
            fatal_error("x");
        },
        ::testing::ExitedWithCode(1), "exit handler ran");
}

TEST_F(FatalErrorTest, AFatalErrorWhileHandlingOneEndsAtOnce) {
    EXPECT_EXIT(
        {
            std::atexit([] { fatal_error("second"); });
            fatal_error("first");
        },
        ::testing::ExitedWithCode(1), "^Error: first \\(error\\)\n$");
}

TEST_F(FatalErrorTest, AbortSkipsTheExitHandlers) {
    EXPECT_EXIT(
        {
            std::atexit([] { std::fputs("exit handler ran\n", stderr); });
            std::fputs("aborting\n", stderr);
            abort_process();
        },
        ::testing::ExitedWithCode(1), "^aborting\n$");
}

// The frame with every component in place and a root that traces its calls.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        g_cvar_registry = &m_registry;
        m_registry.register_defaults();
        m_registry.set_float("system::inactive_fps", 100000.0);
        g_main_window = &m_window;
        g_render_device = &m_render_device;
        g_audio_system = &m_audio;
        g_connection_manager = &m_connections;
        g_game_controllers = &m_controllers;
        g_platform_services = &m_platform_services;
        g_script_root = &m_root;
        m_host.create_vm();
        g_name_table = &m_names;
        m_host.intern_names();
        m_root.root = testing_support::evaluate(m_host.vm(), R"(
            ::trace <- "";
            return {
                init = function() { ::trace += "init;"; }
                key_down = function(code) { ::trace += "key_down(" + code + ");"; }
                key_up = function(code) { ::trace += "key_up(" + code + ");"; }
                update = function(dt) { ::trace += "update;"; ::last_dt <- dt; }
                render = function() { ::trace += "render;"; }
                preinit_render = function() { ::trace += "preinit_render;"; }
                screen_resolution_changed = function() { ::trace += "screen_resolution_changed;"; }
            };
        )");
    }

    void TearDown() override {
        m_root.root.reset();
        m_root.deferred_calls.clear();
        g_name_table = nullptr;
        g_script_root = nullptr;
        g_cvar_registry = nullptr;
        // The components die with the fixture; later tests must not see them.
        g_main_window = nullptr;
        g_render_device = nullptr;
        g_audio_system = nullptr;
        g_connection_manager = nullptr;
        g_game_controllers = nullptr;
        g_platform_services = nullptr;
        SDL_Quit();
    }

    std::string trace() { return testing_support::evaluate_string(m_host.vm(), "return ::trace"); }

    CVarRegistry m_registry;
    Application m_app;
    MainWindow m_window;
    RenderDevice m_render_device;
    AudioSystem m_audio;
    ConnectionManager m_connections;
    GameControllers m_controllers;
    PlatformServices m_platform_services;
    ScriptRoot m_root;
    ScriptHost m_host;
    NameTable m_names;
};

TEST_F(FrameTest, QueuedRootCallsRunInOrderBeforeUpdateThenRender) {
    m_root.deferred_calls.push_back({&root_names::key_down, true, SQInteger{5}});
    m_root.deferred_calls.push_back({&root_names::init, false, {}});
    frame();
    EXPECT_EQ(trace(), "key_down(5);init;update;render;");
    EXPECT_TRUE(m_root.deferred_calls.empty());
    frame();
    EXPECT_EQ(trace(), "key_down(5);init;update;render;update;render;");
}

TEST_F(FrameTest, UpdateReceivesTheClampedDelta) {
    m_registry.set_float("system::maximum_frame_duration", 0.001);
    frame();
    EXPECT_FLOAT_EQ(m_root.frame_dt, 0.001f);
    const ScriptObject last_dt = testing_support::evaluate(m_host.vm(), "return ::last_dt");
    EXPECT_FLOAT_EQ(sq_objtofloat(&last_dt.handle()), 0.001f);
}

TEST_F(FrameTest, HeldKeysAreReleasedInCodeOrderWithoutFocus) {
    m_app.key_states[9] = Application::kKeyDown;
    m_app.key_states[3] = Application::kKeyDown | Application::kKeyPressed;
    frame();
    EXPECT_EQ(trace(), "key_up(3);key_up(9);update;render;");
    EXPECT_EQ(m_app.key_states[3], 0) << "presenting clears the released bit again";
    EXPECT_EQ(m_app.key_states[9], 0);
}

TEST_F(FrameTest, AQuitEventStillLetsTheFrameFinish) {
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    frame();
    EXPECT_TRUE(m_app.quit_requested);
    EXPECT_EQ(trace(), "update;render;");
}

TEST_F(FrameTest, VideoModeChangeMarksAreClearedTogether) {
    m_registry.set_text("system::video_mode", "800x600");
    m_registry.set_text("system::windowed_resolution", "640x480");
    frame();
    for (const CVarDefault* setting : {&cvars::video_mode, &cvars::window_mode, &cvars::fullscreen_resolution,
                                       &cvars::windowed_resolution})
        EXPECT_FALSE(setting->cvar()->has(CVar::Changed)) << setting->name();
}

TEST_F(FrameTest, PresentingClearsTheFrameInput) {
    m_app.key_states[1] = Application::kKeyDown | Application::kKeyPressed;
    m_app.mouse_dx = 4.0f;
    render_and_present(false);
    EXPECT_EQ(m_app.mouse_dx, 0.0f);
    EXPECT_EQ(m_app.key_states[1], Application::kKeyDown);
}

TEST_F(FrameTest, TheStartUpFrameRendersWithPreinitRender) {
    render_and_present(true);
    EXPECT_EQ(trace(), "preinit_render;");
}

TEST_F(FrameTest, AResolutionChangeTellsTheRootUnlessQuiet) {
    m_app.screen_width = -1;
    on_resolution_changed(m_app, true);
    EXPECT_EQ(m_app.screen_width, m_window.drawable_width());
    EXPECT_EQ(trace(), "");
    on_resolution_changed(m_app, false);
    EXPECT_EQ(trace(), "screen_resolution_changed;");
}

TEST_F(FrameTest, ANullRootStillRunsFrames) {
    m_root.root.reset();
    m_root.deferred_calls.push_back({&root_names::init, false, {}});
    frame();
    frame();
    EXPECT_TRUE(m_root.deferred_calls.empty());
    EXPECT_EQ(trace(), "");
    EXPECT_FALSE(m_app.quit_requested);
}

}  // namespace
}  // namespace me
