#pragma once

#include <cstdint>
#include <span>

#include "audio/sound_decoder.h"

namespace me {

// A whole WAV file in memory through SDL's loader, in any format SDL reads.
DecodedSound decode_wav(std::span<const uint8_t> file);

}  // namespace me
