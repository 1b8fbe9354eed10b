#include "audio/sound_decoder.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "audio/ogg_decoder.h"
#include "audio/wav_decoder.h"

namespace me {

namespace {

bool starts_with(std::span<const uint8_t> file, const char* magic) {
    const size_t length = std::strlen(magic);
    return file.size() >= length && std::equal(magic, magic + length, file.begin());
}

}  // namespace

DecodedSound decode_sound(std::span<const uint8_t> file) {
    if (starts_with(file, "RIFF"))
        return decode_wav(file);
    if (starts_with(file, "OggS"))
        return decode_ogg(file);
    return decode_failure(AudioError::FileForm, "neither a WAV nor an Ogg file");
}

DecodedSound decode_failure(AudioError error, std::string detail) {
    DecodedSound failed;
    failed.error = error;
    failed.detail = std::move(detail);
    return failed;
}

}  // namespace me
