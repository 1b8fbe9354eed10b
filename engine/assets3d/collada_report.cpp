#include "assets3d/collada_report.h"

#include <algorithm>

namespace me {

void ColladaReport::error(std::string text) {
    m_messages.push_back({LogLevel::Error, std::move(text)});
    ++m_errors;
}

void ColladaReport::warning(std::string text) { m_messages.push_back({LogLevel::Warning, std::move(text)}); }

bool ColladaReport::contains(const std::string& text) const {
    return std::any_of(m_messages.begin(), m_messages.end(), [&](const Message& m) { return m.text == text; });
}

void ColladaReport::write_to_log() const {
    for (const Message& message : m_messages) {
        if (message.level == LogLevel::Error)
            log_error(message.text);
        else
            log_warning(message.text);
    }
}

}  // namespace me
