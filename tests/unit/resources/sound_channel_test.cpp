#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "audio/audio_system.h"
#include "binding_test_vm.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "resources/sound.h"
#include "resources/sound_channel.h"
#include "test_sounds.h"

namespace me {
namespace {

constexpr int kRate = SoundLibrary::kMixFrequency;
constexpr double kTone = 441.0;
// Frames between two engine frames: about 23 ms.
constexpr size_t kFrameStep = 512;

// Scripts with sounds that mix into memory: every sound's file is a tone of
// 441 Hz at amplitude 0.8, so levels and pitches can be measured.
class SoundChannelTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_audio = std::exchange(g_audio_system, &audio);
        m_previous_list = std::exchange(g_resource_list, &held);
        const std::vector<float> second = test::sine_wave(kTone, kRate, 1, kRate);
        write_file("data/tone.wav", test::wav_file(second, kRate, 1));
        write_file("data/music.ogg", test::ogg_file(test::sine_wave(kTone, kRate, 1, 2 * kRate), kRate, 1));
    }

    void TearDown() override {
        audio.release();
        held.release_all();
        BindingTest::TearDown();
        g_resource_list = m_previous_list;
        g_audio_system = m_previous_audio;
    }

    void start_audio() { ASSERT_TRUE(audio.library().init_offline()); }

    void define_sounds() {
        evaluate("g_sound_defs.tone <- { files = [\"tone.wav\"], category = 2 };"
                 "g_sound_defs.music <- { files = [\"music.ogg\"], streaming = true, category = 1 };"
                 "g_sound_defs.varied <- { files = [\"tone.wav\"], pitch_variation = 20 };"
                 "g_sound_defs.quiet <- { files = [\"tone.wav\"], volume = 0.5, category = 3 };");
    }

    // Mixes milliseconds of output with an engine frame every kFrameStep.
    std::vector<float> run(int milliseconds) {
        const size_t frames = static_cast<size_t>(kRate) * static_cast<size_t>(milliseconds) / 1000;
        std::vector<float> out(2 * frames);
        for (size_t done = 0; done < frames; done += kFrameStep) {
            audio.update();
            audio.library().feed_streams();
            audio.library().render(out.data() + 2 * done, std::min(kFrameStep, frames - done));
        }
        return out;
    }

    static float peak_of(const std::vector<float>& out, int channel, size_t from_ms = 0) {
        const std::vector<float> side = test::channel_of(out, channel);
        return test::peak(std::span(side).subspan(std::min(side.size(), from_ms * kRate / 1000)));
    }

    static double silent_ms(const std::vector<float>& out, int channel) {
        const std::vector<float> side = test::channel_of(out, channel);
        return 1000.0 * static_cast<double>(test::silent_from(side, 0.001f)) / kRate;
    }

    size_t times_logged(const std::string& line) const {
        const std::string text = log_text();
        size_t count = 0;
        for (size_t at = text.find(line + "\n"); at != std::string::npos; at = text.find(line + "\n", at + 1))
            ++count;
        return count;
    }

    SoundChannel* channel(const std::string& global) { return native_of<SoundChannel>(evaluate("return " + global + ";")); }

    AudioSystem audio;
    ResourceList held;

private:
    AudioSystem* m_previous_audio = nullptr;
    ResourceList* m_previous_list = nullptr;
};

TEST_F(SoundChannelTest, TheLevelIsCategoryTimesSoundTimesChannelVolume) {
    start_audio();
    define_sounds();
    const struct {
        const char* setup;
        float peak;
    } cases[] = {
        {"c.set_sound(\"tone\");", 0.8f},
        {"c.set_sound(\"tone\"); System.set_sound_category_volume(2, 0.5);", 0.4f},
        {"c.set_sound(\"quiet\"); c.set_volume(0.5);", 0.2f},
        {"c.set_sound(\"quiet\"); c.set_category(2); System.set_sound_category_volume(3, 0.25);", 0.4f},
        {"c.set_sound(\"tone\"); System.set_sound_category_volume(2, 0.005);", 0.0f},
        {"c.set_sound(\"tone\"); c.set_volume(7);", 0.8f},
    };
    for (const auto& c : cases) {
        evaluate(std::string("System.set_sound_category_volume(2, 1.0); g_c <- SoundChannel(); local c = g_c;") +
                 c.setup + "c.play();");
        const std::vector<float> out = run(100);
        EXPECT_NEAR(peak_of(out, 0), c.peak, 0.01f) << c.setup;
        EXPECT_NEAR(peak_of(out, 1), c.peak, 0.01f) << c.setup;
        evaluate("g_c.set_volume(0);");
        run(50);
    }
}

TEST_F(SoundChannelTest, ANewCategoryVolumeReachesAChannelWhilePlaying) {
    start_audio();
    define_sounds();
    evaluate("g_c <- SoundChannel(); g_c.set_sound(\"tone\"); g_c.play();");
    EXPECT_NEAR(peak_of(run(100), 0), 0.8f, 0.01f);
    evaluate("System.set_sound_category_volume(2, 0.5);");
    EXPECT_NEAR(peak_of(run(100), 0), 0.4f, 0.01f) << "half the category, half the amplitude";
}

TEST_F(SoundChannelTest, PanningMinusOneSilencesTheRightSide) {
    start_audio();
    define_sounds();
    evaluate("g_c <- SoundChannel(); g_c.set_sound(\"tone\"); g_c.set_panning(-3); g_c.play();");
    const std::vector<float> out = run(200);
    EXPECT_NEAR(peak_of(out, 0), 0.8f, 0.01f);
    EXPECT_EQ(peak_of(out, 1), 0.0f);
    EXPECT_FLOAT_EQ(channel("g_c")->panning(), -1.0f);
    evaluate("g_c.set_panning(1);");
    const std::vector<float> moved = run(100);
    EXPECT_EQ(peak_of(moved, 0, 30), 0.0f) << "panning is heard at once while playing";
}

TEST_F(SoundChannelTest, PitchVariationTwentyPlaysWithinTenPercentEitherWay) {
    start_audio();
    define_sounds();
    std::vector<double> frequencies;
    for (int i = 0; i < 12; ++i) {
        evaluate("g_c <- SoundChannel(); g_c.set_sound(\"varied\"); g_c.play();");
        frequencies.push_back(test::measured_frequency(test::channel_of(run(300), 0), kRate));
        evaluate("g_c.set_volume(0); g_c = null;");
        run(800);
    }
    for (const double frequency : frequencies) {
        EXPECT_GE(frequency, kTone * 0.9 - 0.5);
        EXPECT_LE(frequency, kTone * 1.1 + 0.5);
    }
    const auto [lowest, highest] = std::minmax_element(frequencies.begin(), frequencies.end());
    EXPECT_GT(*highest - *lowest, 4.0) << "the pitch does vary";
}

TEST_F(SoundChannelTest, NineOverlappingPlaysOfOneSampleKeepEight) {
    start_audio();
    define_sounds();
    evaluate("g_channels <- []; for (local i = 0; i < 9; ++i) { local c = SoundChannel(); c.set_sound(\"tone\");"
             "c.play(); g_channels.append(c); }");
    EXPECT_TRUE(logged("SoundChannel: Can't get Bass channel to play sound 'tone', error 8."));
    EXPECT_EQ(evaluate_integer("local n = 0; foreach (c in g_channels) if (c.is_playing()) ++n; return n;"), 8);
    EXPECT_EQ(channel("g_channels[8]")->state(), SoundChannel::State::Finished);
    EXPECT_NEAR(peak_of(run(50), 0), 8 * 0.8f, 0.05f);
    EXPECT_EQ(audio.playing_count(), 8u);
}

struct DroppedCase {
    const char* name;
    const char* setup;
    bool fades;
};

TEST_F(SoundChannelTest, ADroppedChannelFadesOnlyWhenItLoopsOutsideMusicOrStopsOnRelease) {
    start_audio();
    define_sounds();
    const DroppedCase cases[] = {
        {"looping effect", "System.set_music_sound_category(1); c.set_sound(\"tone\"); c.set_looping(1);", true},
        {"looping music", "System.set_music_sound_category(2); c.set_sound(\"tone\"); c.set_looping(1);", false},
        {"looping without music", "System.set_music_sound_category(-1); c.set_sound(\"tone\"); c.set_looping(1);",
         true},
        {"one-shot", "c.set_sound(\"tone\");", false},
        {"one-shot stopping on release", "c.set_sound(\"tone\"); c.stop_on_release();", true},
    };
    for (const DroppedCase& c : cases) {
        evaluate(std::string("g_c <- SoundChannel(); local c = g_c;") + c.setup + "c.play();");
        run(100);
        evaluate("g_c = null;");
        const std::vector<float> out = run(700);
        if (c.fades) {
            EXPECT_NEAR(silent_ms(out, 0), 500.0, 30.0) << c.name;
            EXPECT_EQ(audio.playing_count(), 0u) << c.name << " leaves the list once faded";
        } else {
            EXPECT_NEAR(peak_of(out, 0, 600), 0.8f, 0.01f) << c.name;
            EXPECT_EQ(audio.playing_count(), 1u) << c.name;
        }
        audio.release();
        ASSERT_TRUE(audio.library().init_offline());
        held.release_all();
    }
}

TEST_F(SoundChannelTest, ASecondMusicStreamFadesOutTheFirst) {
    start_audio();
    define_sounds();
    evaluate("System.set_music_sound_category(1);"
             "g_first <- SoundChannel(); g_first.set_sound(\"music\"); g_first.set_panning(-1); g_first.play();");
    run(200);
    EXPECT_TRUE(evaluate_bool("return System.is_music_playing();"));
    evaluate("g_second <- SoundChannel(); g_second.set_sound(\"music\"); g_second.set_panning(1); g_second.play();");
    EXPECT_EQ(channel("g_first")->state(), SoundChannel::State::FadingOut);
    EXPECT_FALSE(evaluate_bool("return g_first.is_playing();"));
    const std::vector<float> out = run(800);
    EXPECT_NEAR(silent_ms(out, 0), 500.0, 5.0);
    EXPECT_NEAR(peak_of(out, 1, 600), 0.8f, 0.1f);
    EXPECT_EQ(channel("g_first")->state(), SoundChannel::State::Finished);
    EXPECT_TRUE(evaluate_bool("return System.is_music_playing();"));
    evaluate("System.stop_music();");
    EXPECT_FALSE(evaluate_bool("return System.is_music_playing();"));
    EXPECT_NEAR(silent_ms(run(700), 1), 500.0, 5.0);
}

TEST_F(SoundChannelTest, AChannelWhoseSoundEndedStopsPlayingAndLeavesTheList) {
    start_audio();
    define_sounds();
    evaluate("g_c <- SoundChannel(); g_c.set_sound(\"tone\"); g_c.play();");
    EXPECT_TRUE(evaluate_bool("return g_c.is_playing();"));
    EXPECT_EQ(audio.playing_count(), 1u);
    run(1100);
    EXPECT_FALSE(evaluate_bool("return g_c.is_playing();"));
    EXPECT_EQ(channel("g_c")->state(), SoundChannel::State::Finished);
    EXPECT_EQ(channel("g_c")->playback(), 0u);
    EXPECT_EQ(audio.playing_count(), 0u);
}

TEST_F(SoundChannelTest, EverySetterAndPlayRefuseOncePlayed) {
    start_audio();
    define_sounds();
    evaluate("g_c <- SoundChannel(); g_c.set_sound(\"tone\"); g_c.play();");
    const struct {
        const char* call;
        const char* message;
    } cases[] = {
        {"g_c.set_sound(\"quiet\")", "SoundChannel: Can't set sound to sound channel once played."},
        {"g_c.set_sound(null)", "SoundChannel: Can't set sound to sound channel once played."},
        {"g_c.set_looping(1)", "SoundChannel: Can't set sound channel looping once played."},
        {"g_c.set_category(5)", "SoundChannel: Can't set sound category once played."},
        {"g_c.stop_on_release()", "SoundChannel: Can't set sound channel behavior once played."},
        {"g_c.play()", "SoundChannel: Can't play sound channel twice."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(error_of(c.call), "no error") << c.call;
        EXPECT_TRUE(logged(c.message)) << c.call;
    }
    EXPECT_EQ(channel("g_c")->category(), 2);
    EXPECT_TRUE(evaluate_bool("return g_c.is_playing();"));
    EXPECT_NEAR(peak_of(run(100), 0), 0.8f, 0.01f) << "still the first sound, not looping";
}

TEST_F(SoundChannelTest, BadArgumentsAndMissingSoundsAreReported) {
    start_audio();
    define_sounds();
    const struct {
        const char* call;
        const char* error;
    } cases[] = {
        {"SoundChannel().set_sound(5)", "Expecting resource name or null."},
        {"SoundChannel().set_sound()", "Expecting resource name or null."},
        {"SoundChannel().set_looping(\"yes\")", "Expecting integer."},
        {"SoundChannel().set_volume(null)", "Expecting float."},
        {"SoundChannel.play.call({})", "Expecting SoundChannel"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(error_of(c.call), c.error) << c.call;
    evaluate("g_c <- SoundChannel(); g_c.set_sound(\"nothing_defined\"); g_c.play();");
    EXPECT_TRUE(logged("SoundChannel: No sound to play."));
    EXPECT_EQ(channel("g_c")->state(), SoundChannel::State::New) << "a failed play may be tried again";
    evaluate("g_sound_defs.lost <- { files = [\"lost.ogg\"], streaming = true };"
             "g_d <- SoundChannel(); g_d.set_sound(\"lost\"); g_d.play();");
    EXPECT_TRUE(logged("SoundChannel: Error creating Bass stream from file 'lost.ogg' (error code 2)."));
    EXPECT_EQ(channel("g_d")->state(), SoundChannel::State::Finished);
}

struct DefCase {
    const char* def;
    std::vector<std::string> messages;
};

TEST_F(SoundChannelTest, SoundDefsAreCheckedWithTheirMessages) {
    start_audio();
    write_file("data/broken.wav", "RIFF....WAVEfmt nothing more");
    write_file("data/cut.ogg", test::ogg_file(test::sine_wave(kTone, kRate, 1, kRate), kRate, 1).substr(0, 3000));
    const DefCase cases[] = {
        {"{ files = [\"tone.wav\"], category = 8 }", {"Invalid category 8 for sound 'bad'."}},
        {"{ files = [\"tone.wav\"], category = -1 }", {"Invalid category -1 for sound 'bad'."}},
        {"{ files = [\"tone.wav\"], pitch_variation = 101 }", {"Invalid pitch_variation 101 for sound 'bad'."}},
        {"{ category = 1 }", {"No files for sound."}},
        {"{ files = [] }", {"No files for sound."}},
        {"{ files = [\"tone.wav\", \"absent.wav\"] }", {"Error loading Bass sample (error code 2)."}},
        {"{ files = [\"broken.wav\"] }", {"Error loading Bass sample (error code 11)."}},
        {"{ files = [\"cut.ogg\"] }", {"Error loading Bass sample (error code 12)."}},
    };
    for (const DefCase& c : cases) {
        std::vector<size_t> before;
        for (const std::string& message : c.messages)
            before.push_back(times_logged(message));
        const size_t failures_before = times_logged("Unable to load sound 'bad'.");
        evaluate("g_sound_defs.bad <- " + std::string(c.def) + ";");
        EXPECT_FALSE(load_resource(resource_types::sound, "bad")) << c.def;
        for (size_t i = 0; i < c.messages.size(); ++i)
            EXPECT_EQ(times_logged(c.messages[i]), before[i] + 1) << c.def << ": " << c.messages[i];
        EXPECT_EQ(times_logged("Unable to load sound 'bad'."), failures_before + 1) << c.def;
    }
    evaluate("g_sound_defs.good <- { files = [\"tone.wav\", \"tone.wav\"], mingap = 0.05, volume = 1.5,"
             "pitch_variation = 100, category = 7 };");
    const ResourceRef<Sound> good = load_resource_as<Sound>(resource_types::sound, "good");
    ASSERT_TRUE(good);
    EXPECT_EQ(good->type(), Sound::Sample);
    EXPECT_EQ(good->samples().size(), 2u);
    EXPECT_EQ(audio.library().sample_min_gap(good->samples()[0]), 50u);
    EXPECT_FLOAT_EQ(good->volume(), 1.0f);
    EXPECT_EQ(good->category(), 7);
    EXPECT_EQ(good->pitch_variation(), 100);
    EXPECT_FALSE(load_resource(resource_types::sound, "undefined"));
}

TEST_F(SoundChannelTest, WithAudioOffSoundsLoadAsNoneAndChannelsStaySilentWithoutErrors) {
    registry.set_text("sound_device", "0");
    audio.start();
    ASSERT_FALSE(audio.is_initialised());
    define_sounds();
    evaluate("g_sound_defs.absent <- { files = [\"absent.wav\"] };"
             "g_channels <- []; foreach (name in [\"tone\", \"music\", \"absent\"]) { local c = SoundChannel();"
             "c.set_sound(name); c.play(); g_channels.append(c); }");
    for (const char* name : {"tone", "music", "absent"}) {
        const ResourceRef<Sound> sound = load_resource_as<Sound>(resource_types::sound, name);
        ASSERT_TRUE(sound) << name;
        EXPECT_EQ(sound->type(), Sound::None) << name;
    }
    EXPECT_FALSE(evaluate_bool("foreach (c in g_channels) if (c.is_playing()) return true; return false;"));
    EXPECT_EQ(channel("g_channels[0]")->state(), SoundChannel::State::New);
    EXPECT_EQ(audio.playing_count(), 0u);
    EXPECT_EQ(log_text().find("rror"), std::string::npos) << log_text();
}

}  // namespace
}  // namespace me
