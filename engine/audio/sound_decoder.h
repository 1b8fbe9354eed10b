#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "audio/audio_error.h"
#include "audio/pcm_sound.h"

namespace me {

// A decoded sound, or why there is none: the error for the log's code and a
// detail naming what was wrong with the bytes.
struct DecodedSound {
    PcmSound sound;
    AudioError error = AudioError::Ok;
    std::string detail;

    bool ok() const { return error == AudioError::Ok; }
};

// Decoded sounds larger than this many floats are refused, so that a small
// hostile file cannot claim the whole memory.
inline constexpr size_t kMaxDecodedSamples = size_t{1} << 25;

// WAV (through SDL) or Ogg Vorbis, told apart by their first bytes. Sounds
// with more than two channels keep their front left and right.
DecodedSound decode_sound(std::span<const uint8_t> file);

DecodedSound decode_failure(AudioError error, std::string detail);

}  // namespace me
