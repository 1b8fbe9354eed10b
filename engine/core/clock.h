#pragma once

#include <cstdint>

namespace me {

// The frame clock: milliseconds from a monotonic source as an unsigned 32-bit
// value, so that differences stay correct across the wrap after ~49 days.
uint32_t milliseconds_now();

// Stands in for a 1 ms system timer period: the flag and the exit handler are
// kept so that the start-up and teardown order stays the same on every
// platform, though nothing on this one needs a system call.
class TimerPeriod {
public:
    // Sets the flag and, the first time, registers a process-exit handler that
    // ends the period if it is still in force.
    static void begin();
    static void end();
    static bool in_force();
};

}  // namespace me
