#include "audio/audio_error.h"

#include <iterator>

namespace me {

namespace {

// Indexed by the error's code.
constexpr const char* kErrorTexts[] = {
    "no error",
    "out of memory",
    "the file could not be opened",
    "no audio driver is available",
    "the handle is not valid",
    "the sample format is not supported",
    "audio is not initialised",
    "audio is already initialised",
    "no free playback is available",
    "an argument is out of range",
    "the output device does not exist",
    "the file is not a sound file that can be decoded",
    "the file ends before its data does",
    "the channel is not playing",
};

}  // namespace

int32_t audio_error_code(AudioError error) { return static_cast<int32_t>(error); }

const char* audio_error_text(AudioError error) {
    const auto code = static_cast<size_t>(audio_error_code(error));
    return code < std::size(kErrorTexts) ? kErrorTexts[code] : "unknown error";
}

}  // namespace me
