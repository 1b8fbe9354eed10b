#pragma once

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

namespace me::test {

// The engine's frame with a real window on a private X server, driven by the
// X test extension: events travel from the X server through SDL's X11 driver
// and the frame's event pump to the root callbacks and the System queries.
// The root (root_script) must set ::active to System.is_application_active()
// in its update; the other helpers read a ::trace string it writes.
class RealInputFixture : public BindingTest {
protected:
    static void SetUpTestSuite() { s_server = std::make_unique<XvfbDisplay>(); }
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
        evaluate(setup_script());
        g_script_root->root = evaluate(root_script());
        focus(window_id());
        ASSERT_TRUE(run_frames_until([this] { return evaluate_bool("return ::active;"); }))
            << "the window never got the input focus";
        // SDL drops a click that comes within 10 ms of the focus event, as the
        // click that focused the window; the tests click later than that.
        SDL_Delay(50);
    }

    // Run once the window exists, before the root is made.
    virtual std::string setup_script() const { return "return null;"; }
    virtual std::string root_script() const = 0;

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

    static inline std::unique_ptr<XvfbDisplay> s_server;
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

}  // namespace me::test
