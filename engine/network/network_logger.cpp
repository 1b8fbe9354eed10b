#include "network/network_logger.h"

#include <algorithm>

#include "core/cvar_registry.h"
#include "core/log.h"
#include "core/log_format.h"
#include "core/paths.h"

namespace me {

NetworkLogger* g_network_logger = nullptr;

namespace {

bool in_range(uint32_t frame, uint32_t first, uint32_t last) { return frame >= first && frame <= last; }

}  // namespace

NetworkLogger::~NetworkLogger() {
    if (m_all != nullptr)
        std::fclose(m_all);
    if (m_acked != nullptr)
        std::fclose(m_acked);
}

void NetworkLogger::start() {
    if (m_started)
        return;
    m_started = true;
    open(g_cvar_registry != nullptr ? g_cvar_registry->int_value("network::log") : 0);
}

FILE* NetworkLogger::open_file(const char* name) {
    const std::string path = paths::save_file(name);
    paths::create_directories(path);
    FILE* file = std::fopen(paths::os_form(path).c_str(), "wb");
    if (file == nullptr)
        log_warning(format_message("Failed to open network log file %1", path));
    return file;
}

void NetworkLogger::open(int32_t bits) {
    if ((bits & kAllFramesBit) != 0 && m_all == nullptr)
        m_all = open_file(kAllFileName);
    if ((bits & kAckedFramesBit) != 0 && m_acked == nullptr)
        m_acked = open_file(kAckedFileName);
}

void NetworkLogger::write_line(FILE* file, uint32_t frame, std::string_view text) {
    std::fprintf(file, "%u : %.*s\n", frame, static_cast<int>(text.size()), text.data());
    std::fflush(file);
}

void NetworkLogger::log(uint32_t frame, std::string_view text) {
    if (m_all != nullptr)
        write_line(m_all, frame, text);
    if (m_acked != nullptr)
        m_pending.emplace_back(frame, std::string(text));
}

void NetworkLogger::discard(uint32_t first, uint32_t last) {
    if (m_acked == nullptr)
        return;
    std::erase_if(m_pending, [&](const auto& entry) { return in_range(entry.first, first, last); });
}

void NetworkLogger::ack(uint32_t first, uint32_t last) {
    if (m_acked == nullptr)
        return;
    for (const auto& [frame, text] : m_pending)
        if (in_range(frame, first, last))
            write_line(m_acked, frame, text);
    std::erase_if(m_pending, [&](const auto& entry) { return in_range(entry.first, first, last); });
}

}  // namespace me
