#include "core/clock.h"

#include <chrono>
#include <cstdlib>

namespace me {

namespace {

bool g_timer_period_in_force = false;
bool g_exit_handler_registered = false;

void end_timer_period_at_exit() { TimerPeriod::end(); }

}  // namespace

uint32_t milliseconds_now() {
    const auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count();
    return static_cast<uint32_t>(ms);
}

void TimerPeriod::begin() {
    g_timer_period_in_force = true;
    if (!g_exit_handler_registered) {
        g_exit_handler_registered = true;
        std::atexit(end_timer_period_at_exit);
    }
}

void TimerPeriod::end() { g_timer_period_in_force = false; }

bool TimerPeriod::in_force() { return g_timer_period_in_force; }

}  // namespace me
