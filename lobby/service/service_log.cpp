#include "lobby/service/service_log.h"

#include <cstdio>
#include <ctime>

namespace me::lobby {
namespace {

void write_line(const char* level, std::string_view text) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &utc);
    std::fprintf(stderr, "%s %s: %.*s\n", stamp, level, static_cast<int>(text.size()), text.data());
}

}  // namespace

void log_info(std::string_view text) { write_line("info", text); }
void log_warning(std::string_view text) { write_line("warning", text); }
void log_error(std::string_view text) { write_line("error", text); }

}  // namespace me::lobby
