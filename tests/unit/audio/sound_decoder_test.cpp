#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/sound_decoder.h"
#include "audio/stream_decoder.h"
#include "spine_test_environment.h"
#include "test_sounds.h"

namespace me {
namespace {

constexpr int kRate = 22050;
constexpr size_t kFrames = 11025;
constexpr double kTone = 441.0;

struct ValidFile {
    const char* name;
    std::string bytes;
    int channels;
    // 8-bit and lossy files are compared more loosely.
    float tolerance;
};

std::vector<ValidFile> valid_files() {
    const std::vector<float> mono = test::sine_wave(kTone, kRate, 1, kFrames);
    const std::vector<float> stereo = test::sine_wave(kTone, kRate, 2, kFrames);
    return {
        {"wav 16-bit mono", test::wav_file(mono, kRate, 1), 1, 0.001f},
        {"wav 8-bit stereo", test::wav_file(stereo, kRate, 2, 8), 2, 0.02f},
        {"ogg mono", test::ogg_file(mono, kRate, 1), 1, 0.1f},
        {"ogg stereo", test::ogg_file(stereo, kRate, 2), 2, 0.1f},
    };
}

TEST(SoundDecoderTest, DecodedFilesKeepTheirRateChannelsLengthAndSignal) {
    const std::vector<float> expected = test::sine_wave(kTone, kRate, 1, kFrames);
    for (const ValidFile& file : valid_files()) {
        const DecodedSound decoded = decode_sound(test::bytes_of(file.bytes));
        ASSERT_TRUE(decoded.ok()) << file.name << ": " << decoded.detail;
        EXPECT_EQ(decoded.sound.frequency, kRate) << file.name;
        EXPECT_EQ(decoded.sound.channels, file.channels) << file.name;
        ASSERT_EQ(decoded.sound.frame_count(), kFrames) << file.name;
        float worst = 0.0f;
        for (size_t i = 0; i < kFrames; ++i)
            for (int c = 0; c < file.channels; ++c)
                worst = std::max(worst, std::fabs(decoded.sound.samples[i * file.channels + c] - expected[i]));
        EXPECT_LT(worst, file.tolerance) << file.name;
    }
}

struct BrokenFile {
    const char* name;
    std::string bytes;
    AudioError error;
};

std::vector<BrokenFile> broken_files() {
    const std::vector<float> tone = test::sine_wave(kTone, kRate, 1, kFrames);
    const std::string wav = test::wav_file(tone, kRate, 1);
    const std::string ogg = test::ogg_file(tone, kRate, 1);
    std::string bad_ogg_header = ogg;
    for (size_t i = 40; i < 60; ++i)
        bad_ogg_header[i] = 'x';
    std::string bad_wav_format = wav;
    bad_wav_format[20] = 0x55;
    return {
        {"empty", "", AudioError::FileForm},
        {"text", "this is not a sound at all", AudioError::FileForm},
        {"wav cut in its data", wav.substr(0, wav.size() / 2), AudioError::FileForm},
        {"wav cut in its header", wav.substr(0, 30), AudioError::FileForm},
        {"wav of an unknown format", bad_wav_format, AudioError::FileForm},
        {"riff without wave", "RIFF\x10\0\0\0JUNKJUNKJUNKJUNK", AudioError::FileForm},
        {"ogg cut in half", ogg.substr(0, ogg.size() / 2), AudioError::Truncated},
        {"ogg without its last byte", ogg.substr(0, ogg.size() - 1), AudioError::Truncated},
        {"ogg with a damaged header", bad_ogg_header, AudioError::FileForm},
        {"ogg signature only", "OggS", AudioError::Truncated},
    };
}

TEST(SoundDecoderTest, BrokenFilesAreRefusedWithAReason) {
    for (const BrokenFile& file : broken_files()) {
        const DecodedSound decoded = decode_sound(test::bytes_of(file.bytes));
        EXPECT_EQ(decoded.error, file.error) << file.name << ": " << decoded.detail;
        EXPECT_FALSE(decoded.detail.empty()) << file.name;
        EXPECT_TRUE(decoded.sound.samples.empty()) << file.name;
        EXPECT_STRNE(audio_error_text(decoded.error), "unknown error") << file.name;
    }
}

class StreamDecoderTest : public test::SpineTest {};

TEST_F(StreamDecoderTest, StreamsReadInPiecesWhatTheWholeDecodeGivesAndRewind) {
    for (const ValidFile& file : valid_files()) {
        write_file("sound.bin", file.bytes);
        AudioError error = AudioError::Ok;
        const std::unique_ptr<StreamDecoder> stream = open_stream_decoder("sound.bin", error);
        ASSERT_NE(stream, nullptr) << file.name << " error " << audio_error_code(error);
        EXPECT_EQ(stream->frequency(), kRate);
        EXPECT_EQ(stream->channels(), file.channels);
        const PcmSound whole = decode_sound(test::bytes_of(file.bytes)).sound;
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<float> read;
            std::vector<float> piece(1000 * static_cast<size_t>(file.channels));
            while (const size_t frames = stream->read(piece.data(), 1000))
                read.insert(read.end(), piece.begin(), piece.begin() + static_cast<long>(frames) * file.channels);
            ASSERT_EQ(read.size(), whole.samples.size()) << file.name << " pass " << pass;
            for (size_t i = 0; i < read.size(); ++i)
                ASSERT_NEAR(read[i], whole.samples[i], 0.001f) << file.name << " sample " << i;
            EXPECT_TRUE(stream->rewind()) << file.name;
        }
    }
}

TEST_F(StreamDecoderTest, MissingAndForeignFilesDoNotOpen) {
    write_file("text.txt", "not a sound, only some words");
    write_file("short.wav", "RIFF");
    const std::vector<float> tone = test::sine_wave(kTone, kRate, 1, 100);
    const std::string wav = test::wav_file(tone, kRate, 1);
    write_file("headerless.wav", wav.substr(0, 20));
    const struct {
        const char* path;
        AudioError error;
    } cases[] = {
        {"missing.ogg", AudioError::FileOpen},
        {"text.txt", AudioError::FileForm},
        {"short.wav", AudioError::FileForm},
        {"headerless.wav", AudioError::FileForm},
    };
    for (const auto& c : cases) {
        AudioError error = AudioError::Ok;
        EXPECT_EQ(open_stream_decoder(c.path, error), nullptr) << c.path;
        EXPECT_EQ(error, c.error) << c.path;
    }
}

}  // namespace
}  // namespace me
