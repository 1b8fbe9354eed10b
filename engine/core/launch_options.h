#pragma once

#include <cstdint>
#include <string>

namespace me {

// What the command line asks of this run beyond the game folder; the network
// layer reads it when the game's scripts ask.
struct LaunchOptions {
    // Ticks to roll back and re-simulate every tick; 0 when not asked.
    int32_t synctest_ticks = 0;
    // The replay to verify, absolute; empty when not asked.
    std::string verify_replay;
};

extern LaunchOptions g_launch_options;

}  // namespace me
