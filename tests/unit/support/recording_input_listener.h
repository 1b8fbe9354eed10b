#pragma once

#include <string>
#include <vector>

#include "app/input_events.h"

namespace me::test {

// Writes down every input callback as one line, in the order of the calls.
class RecordingInputListener : public InputListener {
public:
    void key_down(int32_t code) override { calls.push_back("key_down " + std::to_string(code)); }
    void key_up(int32_t code) override { calls.push_back("key_up " + std::to_string(code)); }
    void game_controller_button(int32_t slot, int32_t button, int32_t state) override {
        calls.push_back("button " + std::to_string(slot) + " " + std::to_string(button) + " " +
                        std::to_string(state));
    }
    void window_resized(int32_t width, int32_t height) override {
        calls.push_back("resized " + std::to_string(width) + "x" + std::to_string(height));
    }

    std::vector<std::string> calls;
};

}  // namespace me::test
