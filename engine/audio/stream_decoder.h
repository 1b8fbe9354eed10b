#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_error.h"

namespace me {

// A sound file decoded a piece at a time, so that long music never sits in
// memory whole. Output is interleaved floats, mono or stereo.
class StreamDecoder {
public:
    virtual ~StreamDecoder() = default;

    virtual int32_t frequency() const = 0;
    virtual int32_t channels() const = 0;
    // Fills up to frames frames; 0 at the end of the file or after an error.
    virtual size_t read(float* out, size_t frames) = 0;
    // Back to the first frame; false when the file cannot seek.
    virtual bool rewind() = 0;
};

// Opens path as Ogg Vorbis or WAV, told apart by the first bytes; null with
// error set when the file cannot be opened or is neither.
std::unique_ptr<StreamDecoder> open_stream_decoder(const std::string& path, AudioError& error);

}  // namespace me
