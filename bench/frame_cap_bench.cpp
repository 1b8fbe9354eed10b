#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "core/clock.h"
#include "core/frame_pacer.h"
#include "script/script_root.h"

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr double kSecondsPerRun = 3.0;

double process_cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec * 1e-6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void yield_thread() { std::this_thread::yield(); }

// The pacer as it ships: it sleeps through most of the wait.
me::FramePacer sleeping_pacer() {
    return me::FramePacer(me::milliseconds_now, yield_thread,
                          [](uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); });
}

// The earlier pacer, for comparison: every wait is spent yielding.
me::FramePacer spinning_pacer() {
    return me::FramePacer(me::milliseconds_now, yield_thread, [](uint32_t) { yield_thread(); });
}

// Drives empty frames at the cap for a few seconds and reports how far each
// frame interval strays from 1 / cap and how much of a core the waiting used.
void run_capped_frames(benchmark::State& state, me::FramePacer pacer) {
    const float cap = static_cast<float>(state.range(0));
    const double target_ms = 1000.0 / cap;
    const int frames = static_cast<int>(kSecondsPerRun * cap);
    for (auto _ : state) {
        me::FpsWindow fps;
        std::vector<double> errors_ms;
        errors_ms.reserve(static_cast<size_t>(frames));
        const double cpu_before = process_cpu_seconds();
        const auto wall_before = SteadyClock::now();
        pacer.restart();
        auto last = SteadyClock::now();
        for (int frame = 0; frame < frames; ++frame) {
            pacer.wait_and_measure(cap, 1.0f, fps);
            const auto now = SteadyClock::now();
            errors_ms.push_back(std::chrono::duration<double, std::milli>(now - last).count() - target_ms);
            last = now;
        }
        const double wall = std::chrono::duration<double>(SteadyClock::now() - wall_before).count();
        double total_abs = 0.0;
        double worst = 0.0;
        for (double error : errors_ms) {
            total_abs += std::fabs(error);
            worst = std::fmax(worst, std::fabs(error));
        }
        state.counters["cpu_share"] = (process_cpu_seconds() - cpu_before) / wall;
        state.counters["mean_abs_error_ms"] = total_abs / frames;
        state.counters["worst_error_ms"] = worst;
        state.counters["frames_per_s"] = frames / wall;
    }
}

void BM_FrameCapSleeping(benchmark::State& state) { run_capped_frames(state, sleeping_pacer()); }
void BM_FrameCapSpinning(benchmark::State& state) { run_capped_frames(state, spinning_pacer()); }

}  // namespace

BENCHMARK(BM_FrameCapSleeping)->Arg(20)->Arg(130)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameCapSpinning)->Arg(20)->Arg(130)->Iterations(1)->UseRealTime()->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
