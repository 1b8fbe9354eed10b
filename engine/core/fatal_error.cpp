#include "core/fatal_error.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/clock.h"
#include "core/message_box.h"

namespace me {

namespace {

bool g_handling_fatal_error = false;
void (*g_close_window)() = nullptr;

}  // namespace

void set_fatal_error_window_closer(void (*close_window)()) { g_close_window = close_window; }

void abort_process() {
    std::fflush(nullptr);
    std::_Exit(1);
}

void fatal_error(std::string_view message) {
    if (g_handling_fatal_error) {
        TimerPeriod::end();
        abort_process();
    }
    g_handling_fatal_error = true;
    if (g_close_window != nullptr)
        g_close_window();
    std::string text(message.empty() ? std::string_view("No error info.") : message);
    text += " (error)";
    show_error_message_box("Error", text);
    std::exit(1);
}

}  // namespace me
