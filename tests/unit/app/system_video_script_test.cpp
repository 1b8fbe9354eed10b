#include <SDL.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <utility>

#include "app/main_window.h"
#include "binding_test_vm.h"
#include "xvfb_display.h"

namespace me {
namespace {

size_t lines_starting_with(const std::string& text, const std::string& prefix) {
    std::istringstream lines(text);
    size_t count = 0;
    for (std::string line; std::getline(lines, line);)
        count += line.starts_with(prefix) ? 1 : 0;
    return count;
}

// The video functions with a real window on a private X server.
class SystemVideoScriptTest : public test::BindingTest {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<test::XvfbDisplay>(); }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override {
        BindingTest::SetUp();
        ASSERT_FALSE(s_server->name().empty()) << "Xvfb could not be started";
        m_previous_display = getenv("DISPLAY") ? std::optional<std::string>(getenv("DISPLAY")) : std::nullopt;
        setenv("DISPLAY", s_server->name().c_str(), 1);
        setenv("SDL_VIDEODRIVER", "x11", 1);
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        g_main_window = &window;
        registry.set_text("system::windowed_resolution", "640 480");
        ASSERT_TRUE(window.create()) << log_text();
    }

    void TearDown() override {
        window.destroy();
        SDL_Quit();
        unsetenv("SDL_VIDEODRIVER");
        if (m_previous_display)
            setenv("DISPLAY", m_previous_display->c_str(), 1);
        else
            unsetenv("DISPLAY");
        BindingTest::TearDown();
    }

    size_t mode_changes() { return lines_starting_with(log_text(), "Changing video mode to requested "); }

    MainWindow window;

private:
    static std::unique_ptr<test::XvfbDisplay> s_server;
    std::optional<std::string> m_previous_display;
};

std::unique_ptr<test::XvfbDisplay> SystemVideoScriptTest::s_server;

TEST_F(SystemVideoScriptTest, ChangeVideoModeAppliesAPendingChangeOnceAndNothingElse) {
    evaluate("System.change_video_mode();");
    EXPECT_EQ(mode_changes(), 0u) << "no variable changed";
    evaluate("System.set_cvar(\"system::windowed_resolution\", \"800 600\"); System.change_video_mode();");
    EXPECT_TRUE(logged("Changing video mode to requested 800x600 (window mode 0)")) << log_text();
    window.apply_pending_video_mode();
    evaluate("System.change_video_mode();");
    EXPECT_EQ(mode_changes(), 1u) << "the frame's step finds no changed mark afterwards";
}

TEST_F(SystemVideoScriptTest, DisplayModesArriveAsPairsOfIntegersIncludingTheDesktop) {
    EXPECT_GT(evaluate_integer("return System.enumerate_display_mode_resolutions().len();"), 0);
    EXPECT_TRUE(evaluate_bool("foreach (mode in System.enumerate_display_mode_resolutions())"
                              "  if (mode.len() != 2 || typeof mode[0] != \"integer\") return false;"
                              "return true;"));
    EXPECT_TRUE(evaluate_bool("foreach (mode in System.enumerate_display_mode_resolutions())"
                              "  if (mode[0] == 1280 && mode[1] == 1024) return true;"
                              "return false;"));
}

}  // namespace
}  // namespace me
