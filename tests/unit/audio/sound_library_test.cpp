#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/sound_library.h"
#include "spine_test_environment.h"
#include "test_sounds.h"

namespace me {
namespace {

constexpr int kRate = SoundLibrary::kMixFrequency;
constexpr double kTone = 441.0;

uint32_t g_now = 0;
uint32_t fake_clock() { return g_now; }

// A library mixing into memory, with a one-second tone as its sample.
class SoundLibraryTest : public test::SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        ASSERT_TRUE(library.init_offline());
        g_now = 1000;
        library.set_clock(fake_clock);
        tone = library.sample_load(test::bytes_of(test::wav_file(test::sine_wave(kTone, kRate, 1, kRate), kRate, 1)), 8);
        ASSERT_NE(tone, 0u);
    }

    VoiceHandle start(float volume = 1.0f, float pan = 0.0f) {
        const VoiceHandle voice = library.sample_get_channel(tone);
        EXPECT_NE(voice, 0u);
        library.channel_set_volume(voice, volume);
        library.channel_set_pan(voice, pan);
        EXPECT_TRUE(library.channel_play(voice));
        return voice;
    }

    std::vector<float> render(size_t frames) {
        std::vector<float> out(2 * frames);
        // In buffers the size a device would ask for.
        for (size_t done = 0; done < frames; done += 512)
            library.render(out.data() + 2 * done, std::min<size_t>(512, frames - done));
        return out;
    }

    SoundLibrary library;
    SampleId tone = 0;
};

TEST_F(SoundLibraryTest, VolumeAndPanScaleEachSide) {
    const struct {
        float volume;
        float pan;
        float left;
        float right;
    } cases[] = {
        {1.0f, 0.0f, 0.8f, 0.8f}, {0.5f, 0.0f, 0.4f, 0.4f},  {1.0f, -1.0f, 0.8f, 0.0f},
        {1.0f, 1.0f, 0.0f, 0.8f}, {1.0f, -0.5f, 0.8f, 0.4f}, {0.0f, 0.0f, 0.0f, 0.0f},
    };
    for (const auto& c : cases) {
        const VoiceHandle voice = start(c.volume, c.pan);
        const std::vector<float> out = render(kRate / 4);
        EXPECT_NEAR(test::peak(test::channel_of(out, 0)), c.left, 0.01f) << c.volume << " " << c.pan;
        EXPECT_NEAR(test::peak(test::channel_of(out, 1)), c.right, 0.01f) << c.volume << " " << c.pan;
        library.channel_stop(voice);
    }
}

TEST_F(SoundLibraryTest, FrequencyResamplesThePlayback) {
    for (const float factor : {0.9f, 1.0f, 1.1f, 2.0f}) {
        const VoiceHandle voice = start();
        EXPECT_FLOAT_EQ(library.channel_frequency(voice), static_cast<float>(kRate));
        library.channel_set_frequency(voice, kRate * factor);
        const std::vector<float> left = test::channel_of(render(kRate / 3), 0);
        EXPECT_NEAR(test::measured_frequency(left, kRate), kTone * factor, kTone * 0.005) << factor;
        library.channel_stop(voice);
    }
}

TEST_F(SoundLibraryTest, AFiveHundredMillisecondSlideReachesSilenceOnTime) {
    const VoiceHandle voice = start();
    library.channel_slide_volume(voice, 0.0f, 500);
    EXPECT_TRUE(library.channel_is_sliding(voice));
    const std::vector<float> left = test::channel_of(render(kRate), 0);
    const double silent_ms = 1000.0 * static_cast<double>(test::silent_from(left, 0.001f)) / kRate;
    EXPECT_NEAR(silent_ms, 500.0, 3.0);
    EXPECT_GT(test::peak(std::span(left).subspan(kRate / 4, 200)), 0.3f) << "half-way it is still heard";
    EXPECT_FALSE(library.channel_is_sliding(voice));
    EXPECT_TRUE(library.channel_is_active(voice)) << "a slide to silence does not stop the voice";
}

TEST_F(SoundLibraryTest, ASampleGivesAtMostEightPlaybacksAtOnce) {
    std::vector<VoiceHandle> voices;
    for (int i = 0; i < 9; ++i)
        voices.push_back(library.sample_get_channel(tone));
    for (int i = 0; i < 8; ++i)
        EXPECT_NE(voices[i], 0u) << i;
    EXPECT_EQ(voices[8], 0u);
    EXPECT_EQ(library.last_error(), AudioError::NoChannel);
    for (const VoiceHandle voice : voices)
        library.channel_play(voice);
    EXPECT_NEAR(test::peak(test::channel_of(render(kRate / 10), 0)), 8 * 0.8f, 0.05f) << "eight voices sum up";
    library.channel_stop(voices[0]);
    EXPECT_NE(library.sample_get_channel(tone), 0u) << "a stopped playback frees its place";
}

TEST_F(SoundLibraryTest, TheMinimumGapRefusesPlaybacksThatComeTooSoon) {
    ASSERT_TRUE(library.sample_set_min_gap(tone, 50));
    EXPECT_EQ(library.sample_min_gap(tone), 50u);
    EXPECT_NE(library.sample_get_channel(tone), 0u);
    g_now += 49;
    EXPECT_EQ(library.sample_get_channel(tone), 0u);
    g_now += 1;
    EXPECT_NE(library.sample_get_channel(tone), 0u);
    EXPECT_FALSE(library.sample_set_min_gap(tone + 100, 10));
    EXPECT_EQ(library.last_error(), AudioError::Handle);
}

TEST_F(SoundLibraryTest, AVoiceEndsWithItsSampleUnlessItLoopsAndDeadHandlesAreRefused) {
    const VoiceHandle once = start();
    const VoiceHandle looping = start();
    library.channel_set_loop(looping, true);
    const std::vector<float> out = render(kRate + kRate / 2);
    EXPECT_FALSE(library.channel_is_active(once));
    EXPECT_TRUE(library.channel_is_active(looping));
    EXPECT_NEAR(test::peak(std::span(out).subspan(2 * (kRate + kRate / 4))), 0.8f, 0.01f) << "only the loop plays on";
    EXPECT_FALSE(library.channel_set_volume(once, 0.5f));
    EXPECT_EQ(library.last_error(), AudioError::Handle);
    EXPECT_FALSE(library.channel_play(0));
    EXPECT_TRUE(library.channel_stop(looping));
    EXPECT_FALSE(library.channel_stop(looping));
    const VoiceHandle reused = start();
    EXPECT_NE(reused, looping) << "a reused slot gets a new handle";
}

TEST_F(SoundLibraryTest, FreeingASampleStopsItsVoices) {
    const VoiceHandle voice = start();
    EXPECT_TRUE(library.sample_free(tone));
    EXPECT_FALSE(library.channel_is_active(voice));
    EXPECT_EQ(library.sample_get_channel(tone), 0u);
    EXPECT_EQ(test::peak(render(512)), 0.0f);
}

TEST_F(SoundLibraryTest, StreamsPlayTheWholeFileAndAreFreedAtTheirEnd) {
    const std::vector<float> samples = test::sine_wave(kTone, kRate, 2, kRate);
    for (const std::string& file : {test::wav_file(samples, kRate, 2), test::ogg_file(samples, kRate, 2)}) {
        write_file("music.bin", file);
        const VoiceHandle voice = library.stream_create_file("music.bin");
        ASSERT_NE(voice, 0u);
        library.channel_set_pan(voice, 1.0f);
        library.channel_play(voice);
        std::vector<float> out;
        for (int i = 0; i < 60; ++i) {
            library.feed_streams();
            const std::vector<float> piece = render(512);
            out.insert(out.end(), piece.begin(), piece.end());
        }
        const std::vector<float> right = test::channel_of(out, 1);
        EXPECT_NEAR(test::measured_frequency(std::span(right).first(kRate), kRate), kTone, 1.0);
        EXPECT_NEAR(static_cast<double>(test::silent_from(right, 0.01f)), kRate, 40.0);
        EXPECT_EQ(test::peak(test::channel_of(out, 0)), 0.0f);
        EXPECT_FALSE(library.channel_is_active(voice));
        library.update();
    }
    EXPECT_EQ(library.stream_create_file("missing.ogg"), 0u);
    EXPECT_EQ(library.last_error(), AudioError::FileOpen);
}

TEST_F(SoundLibraryTest, ALoopingStreamRewindsAtItsEnd) {
    write_file("loop.wav", test::wav_file(test::sine_wave(kTone, kRate, 1, kRate / 10), kRate, 1));
    const VoiceHandle voice = library.stream_create_file("loop.wav");
    library.channel_set_loop(voice, true);
    library.channel_play(voice);
    std::vector<float> out;
    for (int i = 0; i < 20; ++i) {
        library.feed_streams();
        const std::vector<float> piece = render(512);
        out.insert(out.end(), piece.begin(), piece.end());
    }
    EXPECT_TRUE(library.channel_is_active(voice));
    EXPECT_GT(test::peak(std::span(out).last(1024)), 0.7f) << "ten loops of a tenth of a second later";
}

TEST_F(SoundLibraryTest, NothingWorksBeforeInitialisationOrAfterFree) {
    library.free();
    EXPECT_FALSE(library.is_initialised());
    EXPECT_EQ(library.sample_load(test::bytes_of(test::wav_file({0.5f}, kRate, 1)), 8), 0u);
    EXPECT_EQ(library.last_error(), AudioError::Init);
    EXPECT_EQ(library.sample_get_channel(tone), 0u);
    EXPECT_EQ(library.stream_create_file("any.ogg"), 0u);
    EXPECT_FALSE(library.init(0));
    EXPECT_EQ(library.last_error(), AudioError::Device);
    EXPECT_TRUE(library.init_offline());
    EXPECT_FALSE(library.init_offline());
    EXPECT_EQ(library.last_error(), AudioError::Already);
}

}  // namespace
}  // namespace me
