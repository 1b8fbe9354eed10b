#pragma once

#include <cstdint>
#include <span>

#include "audio/sound_decoder.h"

namespace me {

// A whole Ogg Vorbis file in memory. A file whose last page is cut short or
// is not marked as the end of the stream counts as truncated.
DecodedSound decode_ogg(std::span<const uint8_t> file);

// Which source channel feeds the right output channel, in Vorbis channel
// order (left is always channel 0).
int vorbis_right_channel(int channels);

}  // namespace me
