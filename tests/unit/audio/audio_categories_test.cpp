#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "audio/audio_system.h"
#include "binding_test_vm.h"
#include "core/cvar.h"

namespace me {
namespace {

// A channel that only records what the audio system asks of it.
class RecordingChannel final : public PlayingChannel {
public:
    explicit RecordingChannel(int32_t category) : m_category(category) {}

    int32_t category() const override { return m_category; }
    bool is_playing() const override { return playing; }
    void apply_volume() override { ++volume_applied; }
    void fade_out() override {
        ++fades;
        playing = false;
    }
    bool update() override {
        ++updates;
        return !finished;
    }
    void acquire() override { ++references; }
    void release() override { --references; }

    bool playing = true;
    bool finished = false;
    int volume_applied = 0;
    int fades = 0;
    int updates = 0;
    int references = 0;

private:
    int32_t m_category;
};

class AudioCategoriesTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_audio = std::exchange(g_audio_system, &audio);
    }

    void TearDown() override {
        audio.release();
        g_audio_system = m_previous_audio;
        BindingTest::TearDown();
    }

    float volume_of(int category) {
        return evaluate_float("return System.get_sound_category_volume(" + std::to_string(category) + ");");
    }

    const CVar& variable(int category) { return *registry.find("sound_volume_" + std::to_string(category)); }

    AudioSystem audio;

private:
    AudioSystem* m_previous_audio = nullptr;
};

TEST_F(AudioCategoriesTest, EveryCategoryStartsAtFullVolumeAndOthersAreAlwaysFull) {
    for (int category = 0; category < AudioSystem::kCategoryCount; ++category)
        EXPECT_FLOAT_EQ(volume_of(category), 1.0f) << category;
    EXPECT_FLOAT_EQ(volume_of(-1), 1.0f);
    EXPECT_FLOAT_EQ(volume_of(8), 1.0f);
}

TEST_F(AudioCategoriesTest, SettingAVolumeWritesTheCategorysVariableAndMarksItChanged) {
    evaluate("System.set_sound_category_volume(3, 0.5); System.set_sound_category_volume(6.9, 1);");
    EXPECT_EQ(variable(3).text(), "0.5");
    EXPECT_TRUE(variable(3).has(CVar::Changed));
    EXPECT_TRUE(variable(3).has(CVar::Persist));
    EXPECT_FLOAT_EQ(volume_of(3), 0.5f);
    EXPECT_EQ(variable(6).text(), "1") << "the category is truncated like any integer argument";
    EXPECT_TRUE(variable(6).has(CVar::Changed));
    EXPECT_FALSE(variable(5).has(CVar::Changed));
}

TEST_F(AudioCategoriesTest, CategoriesOutsideZeroToSevenAreIgnored) {
    evaluate("System.set_sound_category_volume(8, 0.5); System.set_sound_category_volume(-1, 0.5);");
    for (int category = 0; category < AudioSystem::kCategoryCount; ++category) {
        EXPECT_FALSE(variable(category).has(CVar::Changed)) << category;
        EXPECT_FLOAT_EQ(volume_of(category), 1.0f) << category;
    }
    EXPECT_EQ(registry.find("sound_volume_8"), nullptr);
    EXPECT_EQ(registry.find("sound_volume_-1"), nullptr);
}

TEST_F(AudioCategoriesTest, TheEffectiveVolumeIsClampedAndSilentBelowOnePercent) {
    evaluate("System.set_sound_category_volume(0, 1.5); System.set_sound_category_volume(1, -0.5);"
             "System.set_sound_category_volume(2, 0.01); System.set_sound_category_volume(3, 0.005);");
    EXPECT_FLOAT_EQ(volume_of(0), 1.0f);
    EXPECT_EQ(variable(0).text(), "1.5") << "the variable keeps what was asked for";
    EXPECT_FLOAT_EQ(volume_of(1), 0.0f);
    EXPECT_FLOAT_EQ(volume_of(2), 0.01f);
    EXPECT_FLOAT_EQ(volume_of(3), 0.0f);
}

TEST_F(AudioCategoriesTest, VolumesThatAreNotNumbersFromTheConfigurationAreSilent) {
    registry.set_text("sound_volume_4", "nan");
    registry.set_text("sound_volume_5", "inf");
    EXPECT_FLOAT_EQ(volume_of(4), 0.0f);
    EXPECT_FLOAT_EQ(volume_of(5), 1.0f);
}

TEST_F(AudioCategoriesTest, MusicIsMutedOnlyWhenItsCategoryIsSilent) {
    EXPECT_FALSE(evaluate_bool("return System.is_music_muted();"));
    evaluate("System.set_sound_category_volume(3, 0.005);");
    EXPECT_FALSE(evaluate_bool("return System.is_music_muted();")) << "no music category yet";
    evaluate("System.set_music_sound_category(3);");
    EXPECT_EQ(audio.music_category(), 3);
    EXPECT_TRUE(evaluate_bool("return System.is_music_muted();"));
    evaluate("System.set_sound_category_volume(3, 0.01);");
    EXPECT_FALSE(evaluate_bool("return System.is_music_muted();"));
    evaluate("System.set_sound_category_volume(3, 0); System.set_music_sound_category(-1);");
    EXPECT_FALSE(evaluate_bool("return System.is_music_muted();"));
    evaluate("System.set_music_sound_category(9);");
    EXPECT_FALSE(evaluate_bool("return System.is_music_muted();")) << "a category outside 0-7 is always full";
}

TEST_F(AudioCategoriesTest, WithoutChannelsNoMusicPlaysAndStoppingItDoesNothing) {
    evaluate("System.set_music_sound_category(2);");
    EXPECT_FALSE(evaluate_bool("return System.is_music_playing();"));
    EXPECT_EQ(evaluate_string("return \"\" + System.stop_music();"), "null");
    EXPECT_EQ(audio.playing_count(), 0u);
}

TEST_F(AudioCategoriesTest, WrongArgumentTypesRaiseTheFixedMessages) {
    EXPECT_EQ(error_of("System.set_sound_category_volume(\"1\", 0.5)"), "Expecting integer.");
    EXPECT_EQ(error_of("System.set_sound_category_volume(true, 0.5)"), "Expecting integer.");
    EXPECT_EQ(error_of("System.set_sound_category_volume(1, \"0.5\")"), "Expecting float.");
    EXPECT_EQ(error_of("System.set_sound_category_volume(1)"), "Expecting float.");
    EXPECT_EQ(error_of("System.get_sound_category_volume(null)"), "Expecting integer.");
    EXPECT_EQ(error_of("System.get_sound_category_volume()"), "Expecting integer.");
    EXPECT_EQ(error_of("System.set_music_sound_category([3])"), "Expecting integer.");
    EXPECT_FALSE(variable(1).has(CVar::Changed)) << "a refused call changes nothing";
}

TEST_F(AudioCategoriesTest, WithoutAnAudioSystemTheFunctionsAnswerQuietly) {
    g_audio_system = nullptr;
    EXPECT_FLOAT_EQ(volume_of(0), 1.0f);
    EXPECT_EQ(error_of("System.set_sound_category_volume(0, 0.5); System.stop_music();"
                       "System.set_music_sound_category(0)"),
              "no error");
    EXPECT_FALSE(evaluate_bool("return System.is_music_playing() || System.is_music_muted();"));
    g_audio_system = &audio;
}

// The channel list, with channels that stand in for sound channels.
class AudioChannelListTest : public AudioCategoriesTest {
protected:
    RecordingChannel music{3};
    RecordingChannel fading_music{3};
    RecordingChannel effect{2};
};

TEST_F(AudioChannelListTest, MusicPlaysWhileAChannelOfTheMusicCategoryIsPlaying) {
    fading_music.playing = false;
    audio.add_playing(fading_music);
    audio.add_playing(effect);
    evaluate("System.set_music_sound_category(3);");
    EXPECT_FALSE(evaluate_bool("return System.is_music_playing();")) << "a fading channel is not playing";
    audio.add_playing(music);
    EXPECT_TRUE(evaluate_bool("return System.is_music_playing();"));
    evaluate("System.set_music_sound_category(-1);");
    EXPECT_FALSE(evaluate_bool("return System.is_music_playing();"));
}

TEST_F(AudioChannelListTest, StoppingMusicFadesOnlyPlayingChannelsOfTheMusicCategory) {
    fading_music.playing = false;
    for (RecordingChannel* channel : {&music, &fading_music, &effect})
        audio.add_playing(*channel);
    evaluate("System.stop_music();");
    EXPECT_EQ(music.fades, 0) << "no music category";
    evaluate("System.set_music_sound_category(3); System.stop_music();");
    EXPECT_EQ(music.fades, 1);
    EXPECT_EQ(fading_music.fades, 0);
    EXPECT_EQ(effect.fades, 0);
    EXPECT_FALSE(evaluate_bool("return System.is_music_playing();"));
}

TEST_F(AudioChannelListTest, ANewCategoryVolumeReachesEveryPlayingChannel) {
    fading_music.playing = false;
    for (RecordingChannel* channel : {&music, &fading_music, &effect})
        audio.add_playing(*channel);
    evaluate("System.set_sound_category_volume(2, 0.5);");
    EXPECT_EQ(music.volume_applied, 1);
    EXPECT_EQ(effect.volume_applied, 1);
    EXPECT_EQ(fading_music.volume_applied, 0);
    evaluate("System.set_sound_category_volume(8, 0.5);");
    EXPECT_EQ(effect.volume_applied, 1);
}

TEST_F(AudioChannelListTest, TheListHoldsAReferenceUntilAChannelFinishes) {
    for (RecordingChannel* channel : {&music, &fading_music, &effect})
        audio.add_playing(*channel);
    EXPECT_EQ(music.references, 1);
    fading_music.finished = true;
    audio.update();
    EXPECT_EQ(audio.playing_count(), 2u);
    EXPECT_EQ(fading_music.references, 0);
    EXPECT_EQ(music.references, 1);
    audio.update();
    EXPECT_EQ(fading_music.updates, 1) << "a finished channel is not updated again";
    EXPECT_EQ(music.updates, 2);
    audio.release();
    EXPECT_EQ(audio.playing_count(), 0u);
    EXPECT_EQ(music.references, 0);
    EXPECT_EQ(effect.references, 0);
}

}  // namespace
}  // namespace me
