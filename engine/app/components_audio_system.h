#pragma once

namespace me {

// The owner of the sound device and the loaded samples. Not built yet: no
// device is opened and nothing plays.
class AudioSystem {
public:
    void start() {}
    void update() {}
    void release() {}
};

extern AudioSystem* g_audio_system;

}  // namespace me
