#pragma once

#include <string_view>

namespace me {

// Ends the process for an error the game cannot recover from: the main window
// goes first so that the box is not hidden behind it, then a box titled
// "Error" shows the message with " (error)", then the process exits with code
// 1 through the normal exit path. Logs nothing itself: callers log the error
// line first.
[[noreturn]] void fatal_error(std::string_view message);

// The shell's way to close the main window before the box shows; the
// foundation knows no window.
void set_fatal_error_window_closer(void (*close_window)());

// Ends the process at once with code 1, without teardown and without exit
// handlers; for errors that escape script callbacks.
[[noreturn]] void abort_process();

}  // namespace me
