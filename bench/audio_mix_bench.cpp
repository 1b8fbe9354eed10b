// Mixing cost and output latency of the sound library.
//
// MixVoices/N: N looping voices of one sample, each at its own frequency (so
// every voice resamples) and pan, mixed in 512-frame buffers. One iteration mixes one second of output, so the counter
// core_percent is the share of one core that mixing takes.
//
// PlayToFirstSample: with the default output device and buffer size, the time
// from channel_play until the callback has mixed the voice's first sample,
// plus the one device buffer that plays before it (SDL's callback model keeps
// one buffer in flight). Without SDL_AUDIODRIVER set it uses SDL's dummy
// driver, which paces its callback like a real device.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "audio/sound_library.h"

namespace {

constexpr int kRate = me::SoundLibrary::kMixFrequency;
constexpr size_t kBufferFrames = 512;

void put_le(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// One second of a 16-bit mono tone as a WAV file.
std::string tone_file() {
    std::string data;
    for (int i = 0; i < kRate; ++i)
        put_le(data, static_cast<uint32_t>(static_cast<int16_t>(
                         12000.0 * std::sin(2.0 * std::numbers::pi * 441.0 * i / kRate))), 2);
    std::string file = "RIFF";
    put_le(file, static_cast<uint32_t>(36 + data.size()), 4);
    file += "WAVEfmt ";
    for (const auto& [value, bytes] : std::vector<std::pair<uint32_t, int>>{
             {16, 4}, {1, 2}, {1, 2}, {kRate, 4}, {kRate * 2, 4}, {2, 2}, {16, 2}})
        put_le(file, value, bytes);
    file += "data";
    put_le(file, static_cast<uint32_t>(data.size()), 4);
    return file + data;
}

std::span<const uint8_t> bytes_of(const std::string& file) {
    return {reinterpret_cast<const uint8_t*>(file.data()), file.size()};
}

void MixVoices(benchmark::State& state) {
    const auto voices = static_cast<uint32_t>(state.range(0));
    me::SoundLibrary library;
    library.init_offline();
    const std::string file = tone_file();
    const me::SampleId sample = library.sample_load(bytes_of(file), voices);
    for (uint32_t i = 0; i < voices; ++i) {
        const me::VoiceHandle voice = library.sample_get_channel(sample);
        library.channel_set_loop(voice, true);
        library.channel_set_frequency(voice, static_cast<float>(kRate) * (0.9f + 0.2f * static_cast<float>(i) / voices));
        library.channel_set_pan(voice, -1.0f + 2.0f * static_cast<float>(i) / voices);
        library.channel_set_volume(voice, 1.0f / static_cast<float>(voices));
        library.channel_play(voice);
    }
    std::vector<float> out(2 * kBufferFrames);
    for (auto _ : state) {
        for (size_t done = 0; done < static_cast<size_t>(kRate); done += kBufferFrames)
            library.render(out.data(), kBufferFrames);
        benchmark::DoNotOptimize(out.data());
    }
    // CPU seconds per second of output, as a percentage of one core.
    state.counters["core_percent"] =
        benchmark::Counter(0.01, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(MixVoices)->Arg(8)->Arg(32)->Arg(128)->Unit(benchmark::kMillisecond);

void PlayToFirstSample(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    me::SoundLibrary library;
    if (!library.init(-1)) {
        state.SkipWithError("no audio output device");
        return;
    }
    const std::string file = tone_file();
    const me::SampleId sample = library.sample_load(bytes_of(file), 8);
    const double device_buffer = library.buffer_milliseconds() / 1000.0;
    for (auto _ : state) {
        const me::VoiceHandle voice = library.sample_get_channel(sample);
        const auto start = std::chrono::steady_clock::now();
        library.channel_play(voice);
        const uint64_t mixed = library.frames_mixed();
        // Polls gently: on a busy machine a spinning poll would keep the
        // callback thread from running and measure itself.
        while (library.frames_mixed() == mixed)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        const std::chrono::duration<double> waited = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(waited.count() + device_buffer);
        library.channel_stop(voice);
    }
    state.counters["device_buffer_ms"] = library.buffer_milliseconds();
}
BENCHMARK(PlayToFirstSample)->UseManualTime()->Iterations(40)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
