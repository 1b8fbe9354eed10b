#pragma once

namespace me {

// The optional per-frame network log files. Not built yet: starting opens
// nothing.
class NetworkLogger {
public:
    void start() {}
};

inline NetworkLogger* g_network_logger = nullptr;

}  // namespace me
