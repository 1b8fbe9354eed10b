#pragma once

#include <string>
#include <vector>

#include "core/log.h"

namespace me {

// The errors and warnings of one COLLADA read, kept until the resource that
// asked for the read decides to log them, so that the reader itself touches
// no global state and can be run on any bytes.
class ColladaReport {
public:
    struct Message {
        LogLevel level;
        std::string text;
    };

    void error(std::string text);
    void warning(std::string text);

    bool has_errors() const { return m_errors > 0; }
    const std::vector<Message>& messages() const { return m_messages; }
    bool contains(const std::string& text) const;
    // Every message, in the order it was made, as error or warning lines.
    void write_to_log() const;

private:
    std::vector<Message> m_messages;
    int m_errors = 0;
};

}  // namespace me
