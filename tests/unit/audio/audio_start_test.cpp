#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "audio/audio_system.h"
#include "spine_test_environment.h"

namespace me {
namespace {

// Start-up against SDL's dummy output, which every machine has.
class AudioStartTest : public test::SpineTest {
protected:
    void SetUp() override {
        SpineTest::SetUp();
        setenv("SDL_AUDIODRIVER", "dummy", 0);
    }

    size_t position_of(const std::string& line) const { return log_text().find(line + "\n"); }
};

TEST_F(AudioStartTest, TheDefaultDeviceOpensAndTheSettingsAreLoggedInOrder) {
    AudioSystem audio;
    audio.start();
    ASSERT_TRUE(audio.is_initialised()) << log_text();
    const std::vector<std::string> lines{
        "Sound device 0: No sound",
        "Sound device count: " + std::to_string(SoundLibrary::device_names().size()),
        "..playback buffer length: 11",
        "..playback update period: 11",
        "..playback threads: 1",
        "..playback minimum buffer length: 11",
        "..using linear volume curve",
        "Bass audio successfully opened.",
        "..mixing frequency 22050",
    };
    size_t previous = 0;
    for (const std::string& line : lines) {
        const size_t at = position_of(line);
        ASSERT_NE(at, std::string::npos) << line << "\n" << log_text();
        EXPECT_GE(at, previous) << line;
        previous = at;
    }
    audio.release();
    EXPECT_FALSE(audio.is_initialised());
}

TEST_F(AudioStartTest, DeviceZeroLeavesAudioOffAndAMissingDeviceIsAnError) {
    const struct {
        const char* device;
        bool initialised;
        const char* line;
    } cases[] = {
        {"0", false, nullptr},
        {"99", false, "Unable to initialize Bass audio (error code 10)"},
        {"-7", false, "Unable to initialize Bass audio (error code 10)"},
    };
    for (const auto& c : cases) {
        registry.set_text("sound_device", c.device);
        AudioSystem audio;
        audio.start();
        EXPECT_EQ(audio.is_initialised(), c.initialised) << c.device;
        if (c.line != nullptr) {
            EXPECT_TRUE(logged(c.line)) << c.device;
        }
    }
    EXPECT_EQ(log_text().find("Sound device 0"), std::string::npos) << "no device was opened";
}

}  // namespace
}  // namespace me
