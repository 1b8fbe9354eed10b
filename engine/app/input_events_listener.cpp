#include "app/input_events_listener.h"

#include "app/main_window.h"
#include "script/root_callbacks.h"

namespace me {

namespace {

class EngineInputListener final : public InputListener {
public:
    void key_down(int32_t code) override { call_root_callback(root_names::key_down, {SQInteger{code}}); }

    void key_up(int32_t code) override { call_root_callback(root_names::key_up, {SQInteger{code}}); }

    void game_controller_button(int32_t slot, int32_t button, int32_t state) override {
        call_root_callback(root_names::handle_game_controller_button,
                           {SQInteger{slot}, SQInteger{button}, SQInteger{state}});
    }

    void window_resized(int32_t width, int32_t height) override {
        if (g_main_window != nullptr)
            g_main_window->on_resized(width, height);
    }
};

}  // namespace

InputListener& engine_input_listener() {
    static EngineInputListener listener;
    return listener;
}

}  // namespace me
