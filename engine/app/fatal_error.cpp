#include "app/fatal_error.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/clock.h"
#include "app/components_main_window.h"
#include "app/message_box.h"

namespace me {

namespace {

bool g_handling_fatal_error = false;

}  // namespace

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
    if (g_main_window != nullptr && g_main_window->exists())
        g_main_window->destroy();
    std::string text(message.empty() ? std::string_view("No error info.") : message);
    text += " (error)";
    show_error_message_box("Error", text);
    std::exit(1);
}

}  // namespace me
