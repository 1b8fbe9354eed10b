#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "audio/audio_system.h"
#include "network/connection_manager.h"
#include "app/game_controllers.h"
#include "app/main_window.h"
#include "platform/platform_services.h"
#include "gpu/render_device.h"
#include "app/frame.h"
#include "binding_test_vm.h"
#include "xvfb_display.h"

// Last: Xlib's macros (None, Bool, Status, ...) would break the headers above.
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

namespace me {
namespace {

// A root that writes every input callback into ::trace, and in update() what
// the System queries say about the watched codes (KEY_ESC, KEY_A, KEY_B and
// the mouse codes, in ascending order).
constexpr const char* kTracingRoot = R"(
    ::trace <- "";
    ::watched <- [KEY_ESC, KEY_A, KEY_B, MOUSE_LEFT, MOUSE_RIGHT, MOUSE_WHEEL_UP];
    ::held <- [];
    ::mouse <- [-1, -1];
    ::active <- false;
    return {
        key_down = function(code) { ::trace += "down " + code + ";"; }
        key_up = function(code) { ::trace += "up " + code + ";"; }
        update = function(dt) {
            ::held = [];
            foreach (code in ::watched) {
                if (System.was_key_pressed(code)) ::trace += "pressed " + code + ";";
                if (System.was_key_released(code)) ::trace += "released " + code + ";";
                if (System.is_key_down(code)) ::held.push(code);
            }
            ::mouse = System.get_mouse_position();
            ::active = System.is_application_active();
        }
    };
)";

// The engine's frame with a real window on a private X server, driven by the
// X test extension: events travel from the X server through SDL's X11 driver
// and the frame's event pump to the root callbacks and the System queries.
class RealInputTest : public test::BindingTest {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<test::XvfbDisplay>(); }
    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override {
        BindingTest::SetUp();
        ASSERT_FALSE(s_server->name().empty()) << "Xvfb could not be started";
        m_display_variable.emplace("DISPLAY", s_server->name());
        m_driver_variable.emplace("SDL_VIDEODRIVER", "x11");
        ASSERT_EQ(SDL_Init(SDL_INIT_EVENTS), 0) << SDL_GetError();
        m_x = XOpenDisplay(s_server->name().c_str());
        ASSERT_NE(m_x, nullptr);
        // Held keys must not repeat while a test waits on the frame loop.
        XAutoRepeatOff(m_x);
        install_components();
        registry.set_text("system::windowed_resolution", "640 480");
        registry.set_float("system::maximum_fps", 1000.0);
        registry.set_float("system::inactive_fps", 1000.0);
        ASSERT_TRUE(window.create()) << log_text();
        g_script_root->root = evaluate(kTracingRoot);
        focus(window_id());
        ASSERT_TRUE(run_frames_until([this] { return evaluate_bool("return ::active;"); }))
            << "the window never got the input focus";
        // SDL drops a click that comes within 10 ms of the focus event, as the
        // click that focused the window; the tests click later than that.
        SDL_Delay(50);
    }

    void TearDown() override {
        g_script_root->root.reset();
        window.destroy();
        SDL_Quit();
        if (m_x != nullptr)
            XCloseDisplay(m_x);
        restore_components();
        m_driver_variable.reset();
        m_display_variable.reset();
        BindingTest::TearDown();
    }

    Window window_id() {
        SDL_SysWMinfo info;
        SDL_VERSION(&info.version);
        EXPECT_TRUE(SDL_GetWindowWMInfo(window.sdl_window(), &info)) << SDL_GetError();
        return info.info.x11.window;
    }

    void focus(Window target) {
        XSetInputFocus(m_x, target, RevertToNone, CurrentTime);
        XSync(m_x, False);
    }

    void key(KeySym symbol, bool down) {
        XTestFakeKeyEvent(m_x, XKeysymToKeycode(m_x, symbol), down ? True : False, CurrentTime);
        XSync(m_x, False);
    }

    void button(unsigned int number, bool down) {
        XTestFakeButtonEvent(m_x, number, down ? True : False, CurrentTime);
        XSync(m_x, False);
    }

    // Moves the pointer to a point of the window.
    void move_pointer(int x, int y) {
        int left = 0;
        int top = 0;
        SDL_GetWindowPosition(window.sdl_window(), &left, &top);
        XTestFakeMotionEvent(m_x, -1, left + x, top + y, CurrentTime);
        XSync(m_x, False);
    }

    // A second top-level window of another client, mapped and viewable.
    Window open_other_window() {
        const Window other = XCreateSimpleWindow(m_x, DefaultRootWindow(m_x), 0, 0, 64, 64, 0, 0, 0);
        XSelectInput(m_x, other, StructureNotifyMask);
        XMapWindow(m_x, other);
        XEvent event;
        do
            XWindowEvent(m_x, other, StructureNotifyMask, &event);
        while (event.type != MapNotify);
        return other;
    }

    bool run_frames_until(const std::function<bool()>& done) {
        const uint32_t deadline = SDL_GetTicks() + 5000;
        while (!SDL_TICKS_PASSED(SDL_GetTicks(), deadline)) {
            frame();
            if (done())
                return true;
        }
        return false;
    }

    std::string trace() { return evaluate_string("return ::trace;"); }
    bool traced(const std::string& part) { return trace().find(part) != std::string::npos; }
    bool run_frames_until_traced(const std::string& part) {
        return run_frames_until([&] { return traced(part); });
    }
    std::string held() { return evaluate_string("local s = \"\"; foreach (c in ::held) s += c + \";\"; return s;"); }
    std::string mouse() { return evaluate_string("return ::mouse[0] + \",\" + ::mouse[1];"); }

    MainWindow window;

private:
    // Sets or removes an environment variable for the life of the object.
    class ScopedVariable {
    public:
        ScopedVariable(const char* name, const std::string& value) : m_name(name) {
            if (const char* previous = getenv(name))
                m_previous = previous;
            setenv(name, value.c_str(), 1);
        }
        ~ScopedVariable() {
            if (m_previous)
                setenv(m_name, m_previous->c_str(), 1);
            else
                unsetenv(m_name);
        }
        ScopedVariable(const ScopedVariable&) = delete;
        ScopedVariable& operator=(const ScopedVariable&) = delete;

    private:
        const char* m_name;
        std::optional<std::string> m_previous;
    };

    void install_components() {
        m_previous.window = std::exchange(g_main_window, &window);
        m_previous.render_device = std::exchange(g_render_device, &m_render_device);
        m_previous.audio = std::exchange(g_audio_system, &m_audio);
        m_previous.connections = std::exchange(g_connection_manager, &m_connections);
        m_previous.controllers = std::exchange(g_game_controllers, &m_controllers);
        m_previous.platform = std::exchange(g_platform_services, &m_platform);
    }

    void restore_components() {
        g_main_window = m_previous.window;
        g_render_device = m_previous.render_device;
        g_audio_system = m_previous.audio;
        g_connection_manager = m_previous.connections;
        g_game_controllers = m_previous.controllers;
        g_platform_services = m_previous.platform;
    }

    static std::unique_ptr<test::XvfbDisplay> s_server;
    Display* m_x = nullptr;
    std::optional<ScopedVariable> m_display_variable;
    std::optional<ScopedVariable> m_driver_variable;
    RenderDevice m_render_device;
    AudioSystem m_audio;
    ConnectionManager m_connections;
    GameControllers m_controllers;
    PlatformServices m_platform;
    struct {
        MainWindow* window;
        RenderDevice* render_device;
        AudioSystem* audio;
        ConnectionManager* connections;
        GameControllers* controllers;
        PlatformServices* platform;
    } m_previous{};
};

std::unique_ptr<test::XvfbDisplay> RealInputTest::s_server;

TEST_F(RealInputTest, AKeyPressAndReleaseReachTheCallbacksAndTheQueries) {
    key(XK_a, true);
    ASSERT_TRUE(run_frames_until_traced("down 97;")) << trace();
    EXPECT_EQ(held(), "97;");
    key(XK_a, false);
    ASSERT_TRUE(run_frames_until_traced("up 97;")) << trace();
    EXPECT_EQ(trace(), "down 97;pressed 97;up 97;released 97;");
    EXPECT_EQ(held(), "");
}

TEST_F(RealInputTest, EscapeArrivesAsItsEngineCode) {
    key(XK_Escape, true);
    key(XK_Escape, false);
    ASSERT_TRUE(run_frames_until_traced("up 27;")) << trace();
    EXPECT_NE(trace().find("down 27;"), std::string::npos) << trace();
    EXPECT_EQ(held(), "");
}

TEST_F(RealInputTest, MouseMotionAndButtonsReachTheCallbacksAndTheQueries) {
    move_pointer(100, 50);
    ASSERT_TRUE(run_frames_until([this] { return mouse() == "100,50"; })) << mouse();
    button(Button1, true);
    ASSERT_TRUE(run_frames_until_traced("down 178;")) << trace();
    EXPECT_EQ(held(), "178;");
    button(Button1, false);
    move_pointer(200, 120);
    button(Button3, true);
    button(Button3, false);
    ASSERT_TRUE(run_frames_until_traced("up 179;")) << trace();
    EXPECT_EQ(mouse(), "200,120");
    EXPECT_EQ(trace().find("down 178;pressed 178;up 178;"), 0u) << trace();
    EXPECT_NE(trace().find("down 179;"), std::string::npos) << trace();
    EXPECT_EQ(held(), "");
}

TEST_F(RealInputTest, AWheelStepIsPressedAndReleasedButNeverHeld) {
    move_pointer(10, 10);
    button(Button4, true);
    button(Button4, false);
    ASSERT_TRUE(run_frames_until_traced("pressed 183;")) << trace();
    EXPECT_EQ(trace(), "down 183;up 183;pressed 183;released 183;");
    EXPECT_EQ(held(), "");
}

TEST_F(RealInputTest, LosingTheFocusReleasesHeldKeysInAscendingCodeOrder) {
    // Pressed in the opposite order to their codes (A is 97, Esc 27).
    key(XK_a, true);
    ASSERT_TRUE(run_frames_until_traced("down 97;")) << trace();
    key(XK_Escape, true);
    ASSERT_TRUE(run_frames_until_traced("down 27;")) << trace();
    ASSERT_EQ(held(), "27;97;");
    focus(open_other_window());
    ASSERT_TRUE(run_frames_until_traced("up 97;")) << trace();
    EXPECT_EQ(trace(), "down 97;pressed 97;down 27;pressed 27;up 27;up 97;released 27;released 97;");
    EXPECT_FALSE(evaluate_bool("return ::active;"));
    EXPECT_EQ(held(), "");
    key(XK_Escape, false);
    key(XK_a, false);
}

}  // namespace
}  // namespace me
