#pragma once

#include <cstdint>

namespace me {

// Why a call of the sound library failed. The numbers are what the log shows
// after "error code", so they never change meaning once released.
enum class AudioError : int32_t {
    Ok = 0,
    Memory = 1,
    FileOpen = 2,
    Driver = 3,
    Handle = 4,
    Format = 5,
    Init = 6,
    Already = 7,
    NoChannel = 8,
    IllegalParam = 9,
    Device = 10,
    FileForm = 11,
    Truncated = 12,
    NotPlaying = 13,
};

int32_t audio_error_code(AudioError error);
// A short English explanation for the log; unknown codes have one too.
const char* audio_error_text(AudioError error);

}  // namespace me
