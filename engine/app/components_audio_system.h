#pragma once

#include "audio/audio_system.h"

namespace me {

extern AudioSystem* g_audio_system;

}  // namespace me
