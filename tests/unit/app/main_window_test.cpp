#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "app/input_events.h"
#include "app/main_window.h"
#include "core/application.h"
#include "spine_test_environment.h"
#include "xvfb_display.h"

// libdbus, which SDL's X11 video starts, keeps one buffer to the end; leak
// checks in sanitized runs would otherwise blame every window test for it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdbus-1.so\n"; }

namespace me {
namespace {

// Sets or removes an environment variable for the life of the object.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : m_name(name) {
        if (const char* previous = getenv(name))
            m_previous = previous;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnvironment() {
        if (m_previous)
            setenv(m_name, m_previous->c_str(), 1);
        else
            unsetenv(m_name);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_previous;
};

size_t lines_starting_with(const std::string& text, const std::string& prefix) {
    std::istringstream lines(text);
    size_t count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.starts_with(prefix) ? 1 : 0;
    return count;
}

class WindowTestBase : public test::SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        m_previous_window = g_main_window;
        g_main_window = &window;
    }

    void TearDown() override {
        window.destroy();
        SDL_Quit();
        g_main_window = m_previous_window;
        SpineTest::TearDown();
    }

    size_t error_lines() const { return lines_starting_with(log_text(), "error: "); }

    Application app;
    MainWindow window;

private:
    MainWindow* m_previous_window = nullptr;
};

// Everything here runs on a private Xvfb display with Mesa's software OpenGL.
class MainWindowTest : public WindowTestBase {
protected:
    static void SetUpTestSuite() { s_display = std::make_unique<test::XvfbDisplay>(); }
    static void TearDownTestSuite() { s_display.reset(); }

    void SetUp() override {
        WindowTestBase::SetUp();
        ASSERT_FALSE(s_display->name().empty()) << "Xvfb could not be started";
        m_display.emplace("DISPLAY", s_display->name().c_str());
        m_driver.emplace("SDL_VIDEODRIVER", "x11");
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    }

    void TearDown() override {
        WindowTestBase::TearDown();
        m_driver.reset();
        m_display.reset();
    }

    // Feeds window events through the input pipeline, as the frame's event
    // pump does, until the application has the expected screen size.
    bool wait_for_screen_size(int32_t width, int32_t height) {
        InputEvents events(app, engine_input_listener());
        const uint32_t deadline = SDL_GetTicks() + 5000;
        while (SDL_GetTicks() < deadline) {
            SDL_Event event;
            if (SDL_WaitEventTimeout(&event, 50) != 0)
                events.handle(event);
            if (app.screen_width == width && app.screen_height == height)
                return true;
        }
        return false;
    }

    static std::unique_ptr<test::XvfbDisplay> s_display;

private:
    std::optional<ScopedEnvironment> m_display;
    std::optional<ScopedEnvironment> m_driver;
};

std::unique_ptr<test::XvfbDisplay> MainWindowTest::s_display;

TEST_F(MainWindowTest, DefaultsOpenAWindowAtTheDesktopResolution) {
    ASSERT_TRUE(window.create()) << log_text();
    EXPECT_TRUE(window.exists());
    EXPECT_TRUE(window.has_gl_context());
    EXPECT_EQ(window.drawable_width(), test::XvfbDisplay::kWidth);
    EXPECT_EQ(window.drawable_height(), test::XvfbDisplay::kHeight);
    EXPECT_EQ(window.current_mode(), WindowMode::Windowed);
    EXPECT_EQ(window.flags() & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_NE(window.flags() & SDL_WINDOW_OPENGL, 0u);
    EXPECT_TRUE(logged("No video mode resolution specified, using desktop resolution 1280x1024."));
    EXPECT_TRUE(logged("SDL window: 1280x1024"));
    EXPECT_EQ(error_lines(), 0u) << log_text();
}

TEST_F(MainWindowTest, TheConfiguredResolutionAndTitleAreUsed) {
    registry.set_text("system::windowed_resolution", "640 480");
    registry.set_text("system::window_title", "Quillmoor window test");
    ASSERT_TRUE(window.create()) << log_text();
    EXPECT_EQ(window.drawable_width(), 640);
    EXPECT_EQ(window.drawable_height(), 480);
    EXPECT_STREQ(SDL_GetWindowTitle(window.sdl_window()), "Quillmoor window test");
    EXPECT_TRUE(logged("SDL window: 640x480"));
    EXPECT_FALSE(registry.find("system::windowed_resolution")->has(CVar::Changed));
}

TEST_F(MainWindowTest, TheVideoModeVariableWinsOverTheOthers) {
    registry.set_text("system::video_mode", "800 600 0");
    registry.set_text("system::windowed_resolution", "640 480");
    ASSERT_TRUE(window.create()) << log_text();
    EXPECT_EQ(window.drawable_width(), 800);
    EXPECT_EQ(window.drawable_height(), 600);
}

TEST_F(MainWindowTest, OpenGLSetupRunsInTheNewContext) {
    SDL_GLContext current = nullptr;
    window.set_opengl_setup([&current] {
        current = SDL_GL_GetCurrentContext();
        return true;
    });
    ASSERT_TRUE(window.create()) << log_text();
    EXPECT_NE(current, nullptr);
    EXPECT_TRUE(window.has_gl_context());
}

TEST_F(MainWindowTest, AFailedOpenGLSetupGivesUpTheWindow) {
    int calls = 0;
    window.set_opengl_setup([&calls] {
        ++calls;
        return false;
    });
    EXPECT_FALSE(window.create());
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(window.exists());
    EXPECT_FALSE(window.has_gl_context());
    EXPECT_EQ(window.flags(), 0u);
    EXPECT_FALSE(logged("SDL window: 1280x1024"));
}

TEST_F(MainWindowTest, CreatingTwiceKeepsTheFirstWindow) {
    ASSERT_TRUE(window.create());
    SDL_Window* first = window.sdl_window();
    EXPECT_TRUE(window.create());
    EXPECT_EQ(window.sdl_window(), first);
}

TEST_F(MainWindowTest, ANewWindowedSizeArrivesThroughTheResizedEvent) {
    registry.set_text("system::windowed_resolution", "640 480");
    ASSERT_TRUE(window.create());
    on_resolution_changed(app, true);
    registry.set_text("system::windowed_resolution", "800 600");
    window.apply_video_mode();
    EXPECT_TRUE(logged("Changing video mode to requested 800x600 (window mode 0)"));
    ASSERT_TRUE(wait_for_screen_size(800, 600)) << log_text();
    EXPECT_EQ(window.drawable_width(), 800);
    EXPECT_TRUE(logged("SDL window resized to: 800x600 (drawable 800x600)")) << log_text();
    EXPECT_FALSE(registry.find("system::windowed_resolution")->has(CVar::Changed));
}

TEST_F(MainWindowTest, APendingModeIsAppliedOnceAndOnlyWhenAVariableChanged) {
    registry.set_text("system::windowed_resolution", "640 480");
    ASSERT_TRUE(window.create());
    window.apply_pending_video_mode();
    EXPECT_EQ(lines_starting_with(log_text(), "Changing video mode"), 0u);
    registry.set_text("system::windowed_resolution", "700 500");
    window.apply_pending_video_mode();
    window.apply_pending_video_mode();
    EXPECT_EQ(lines_starting_with(log_text(), "Changing video mode to requested 700x500 (window mode 0)"), 1u);
    EXPECT_TRUE(wait_for_screen_size(700, 500)) << log_text();
}

TEST_F(MainWindowTest, FullscreenDesktopCoversTheDisplay) {
    registry.set_text("system::windowed_resolution", "640 480");
    ASSERT_TRUE(window.create());
    registry.set_int("system::window_mode", 2);
    window.apply_video_mode();
    EXPECT_EQ(window.current_mode(), WindowMode::FullscreenDesktop);
    EXPECT_EQ(window.flags() & SDL_WINDOW_FULLSCREEN_DESKTOP, static_cast<uint32_t>(SDL_WINDOW_FULLSCREEN_DESKTOP));
    EXPECT_TRUE(logged("No video mode resolution specified, using desktop resolution 1280x1024 (display index 0)."));
    EXPECT_TRUE(wait_for_screen_size(test::XvfbDisplay::kWidth, test::XvfbDisplay::kHeight)) << log_text();
    EXPECT_EQ(error_lines(), 0u) << log_text();
}

TEST_F(MainWindowTest, ExclusiveFullscreenAndBackToAWindow) {
    registry.set_text("system::windowed_resolution", "640 480");
    ASSERT_TRUE(window.create());
    registry.set_text("system::video_mode", "1280 1024 1");
    window.apply_video_mode();
    EXPECT_EQ(window.current_mode(), WindowMode::Fullscreen);
    EXPECT_NE(window.flags() & SDL_WINDOW_FULLSCREEN, 0u);
    registry.set_text("system::video_mode", "");
    window.apply_video_mode();
    EXPECT_EQ(window.current_mode(), WindowMode::Windowed);
    EXPECT_EQ(window.flags() & SDL_WINDOW_FULLSCREEN, 0u);
    EXPECT_TRUE(wait_for_screen_size(640, 480)) << log_text();
    EXPECT_EQ(error_lines(), 0u) << log_text();
}

TEST_F(MainWindowTest, VsyncFollowsItsVariableAndLogsTheInterval) {
    registry.set_int("system::vsync", 0);
    ASSERT_TRUE(window.create());
    EXPECT_TRUE(logged("Vsync swap interval: 0"));
    EXPECT_FALSE(registry.find("system::vsync")->has(CVar::Changed));
    registry.set_int("system::vsync", 1);
    window.apply_vsync_setting();
    const bool on = SDL_GL_GetSwapInterval() == 1;
    EXPECT_TRUE(on ? logged("Vsync swap interval: 1") : logged("warning: Setting vsync on failed.")) << log_text();
    EXPECT_FALSE(registry.find("system::vsync")->has(CVar::Changed));
}

TEST_F(MainWindowTest, TheCursorIsShownOnlyWhenAskedFor) {
    ASSERT_TRUE(window.create());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    registry.set_int("system::cursor", 1);
    window.apply_cursor_setting();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_FALSE(registry.find("system::cursor")->has(CVar::Changed));
    registry.set_int("system::cursor", 0);
    window.apply_cursor_setting();
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
}

TEST_F(MainWindowTest, DisplayModesAreDistinctAndIncludeTheDesktop) {
    ASSERT_TRUE(window.create());
    const std::vector<Resolution> modes = window.list_display_modes();
    ASSERT_FALSE(modes.empty()) << log_text();
    std::set<std::pair<int32_t, int32_t>> distinct;
    for (const Resolution& mode : modes)
        EXPECT_TRUE(distinct.emplace(mode.width, mode.height).second) << mode.width << "x" << mode.height;
    EXPECT_NE(std::find(modes.begin(), modes.end(), Resolution{1280, 1024}), modes.end());
    EXPECT_EQ(window.list_display_modes(), modes) << "listing again does not add to the list";
}

TEST_F(MainWindowTest, AHiddenWindowMakesTheApplicationInactive) {
    ASSERT_TRUE(window.create());
    SDL_HideWindow(window.sdl_window());
    EXPECT_NE(window.flags() & SDL_WINDOW_HIDDEN, 0u);
    EXPECT_FALSE(is_application_active());
}

TEST_F(MainWindowTest, DestroyingLeavesNothingToPresent) {
    ASSERT_TRUE(window.create());
    window.swap();
    window.destroy();
    EXPECT_FALSE(window.exists());
    EXPECT_FALSE(window.has_gl_context());
    EXPECT_EQ(window.flags(), 0u);
    window.swap();
    window.destroy();
}

// No display at all: the window is missing and the engine carries on.
class MainWindowWithoutDisplayTest : public WindowTestBase {
protected:
    void use_driver(const char* driver) {
        m_driver.emplace("SDL_VIDEODRIVER", driver);
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
    }

    ScopedEnvironment m_display{"DISPLAY", nullptr};
    ScopedEnvironment m_wayland{"WAYLAND_DISPLAY", nullptr};
    std::optional<ScopedEnvironment> m_driver;
};

TEST_F(MainWindowWithoutDisplayTest, AMissingVideoDriverLogsOneErrorAndEverythingElseIsQuiet) {
    use_driver("no_such_driver");
    EXPECT_FALSE(window.create());
    EXPECT_EQ(error_lines(), 1u) << log_text();
    EXPECT_NE(log_text().find("error: Cannot start the SDL video subsystem, running without a window: "),
              std::string::npos);
    const std::string after_create = log_text();
    registry.set_text("system::windowed_resolution", "800 600");
    window.apply_video_mode();
    window.apply_vsync_setting();
    window.apply_cursor_setting();
    window.on_resized(800, 600);
    window.swap();
    EXPECT_EQ(log_text(), after_create);
    EXPECT_FALSE(window.exists());
    EXPECT_FALSE(window.has_gl_context());
    EXPECT_EQ(window.flags(), 0u);
    EXPECT_EQ(window.drawable_width(), 0);
    EXPECT_FALSE(is_application_active());
    EXPECT_FALSE(registry.find("system::windowed_resolution")->has(CVar::Changed));
}

TEST_F(MainWindowWithoutDisplayTest, ADriverWithoutOpenGLLeavesNoWindow) {
    use_driver("dummy");
    EXPECT_FALSE(window.create());
    EXPECT_EQ(error_lines(), 1u) << log_text();
    EXPECT_NE(log_text().find("error: Error creating main window, SDL_CreateWindow() failed: "), std::string::npos);
    EXPECT_FALSE(window.exists());
}

TEST_F(MainWindowWithoutDisplayTest, ListingDisplayModesWithoutVideoLogsWhyAndListsNothing) {
    use_driver("no_such_driver");
    EXPECT_TRUE(window.list_display_modes().empty());
    EXPECT_NE(log_text().find("error: SDL_GetNumDisplayModes() failed: "), std::string::npos);
}

}  // namespace
}  // namespace me
