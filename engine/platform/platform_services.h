#pragma once

namespace me {

// Statistics, achievements and cloud files as the game sees them. Not built
// yet: its per-frame housekeeping has nothing to store.
class PlatformServices {
public:
    void housekeeping() {}
};

inline PlatformServices* g_platform_services = nullptr;

}  // namespace me
