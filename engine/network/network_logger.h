#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace me {

// The optional per-frame logs that let peers be compared: every logged line
// goes to "network_log_all.txt", and lines of frames the script acknowledges
// as final go to "network_log_acked.txt". Which files are kept is chosen by
// the bits of network::log at start-up.
class NetworkLogger {
public:
    static constexpr const char* kAllFileName = "network_log_all.txt";
    static constexpr const char* kAckedFileName = "network_log_acked.txt";
    static constexpr int32_t kAllFramesBit = 1;
    static constexpr int32_t kAckedFramesBit = 2;

    NetworkLogger() = default;
    NetworkLogger(const NetworkLogger&) = delete;
    NetworkLogger& operator=(const NetworkLogger&) = delete;
    ~NetworkLogger();

    // Reads network::log and opens the files it asks for (once).
    void start();
    // Opens the files named by the bits, created or truncated in the save
    // directory.
    void open(int32_t bits);

    void log(uint32_t frame, std::string_view text);
    void discard_all() { m_pending.clear(); }
    // Frames first … last, both included, compared as unsigned numbers.
    void discard(uint32_t first, uint32_t last);
    void ack(uint32_t first, uint32_t last);

    size_t pending_count() const { return m_pending.size(); }

private:
    static FILE* open_file(const char* name);
    static void write_line(FILE* file, uint32_t frame, std::string_view text);

    FILE* m_all = nullptr;
    FILE* m_acked = nullptr;
    bool m_started = false;
    std::vector<std::pair<uint32_t, std::string>> m_pending;
};

extern NetworkLogger* g_network_logger;

}  // namespace me
