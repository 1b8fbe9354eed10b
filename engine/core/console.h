#pragma once

namespace me {

// Standard output and input stand in for a console window: log lines are
// mirrored to standard output when system::console asked for a console or
// standard input is a terminal.
class Console {
public:
    static void create();
    static bool attached();
    // Writes "Press any key..." and waits for one key in raw mode; returns at
    // once when standard input is not a terminal.
    static void wait_for_key();
};

}  // namespace me
