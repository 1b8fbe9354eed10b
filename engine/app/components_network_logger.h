#pragma once

namespace me {

// The optional per-frame network log files. Not built yet: starting opens
// nothing.
class NetworkLogger {
public:
    void start() {}
};

extern NetworkLogger* g_network_logger;

}  // namespace me
