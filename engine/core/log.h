#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "core/log_format.h"

namespace me {

enum class LogLevel { Info = 0, Error = 1, Warning = 2 };

// The process's log: game_log.txt in the save directory, truncated at every
// start, every line flushed at once and mirrored to the console if there is one.
class Log {
public:
    static constexpr const char* kFileName = "game_log.txt";

    Log() = default;
    Log(const Log&) = delete;
    Log& operator=(const Log&) = delete;
    ~Log();

    // Opens the file in the save directory and creates the console when
    // system::console asks for it. Only the first call has an effect.
    void open();
    // Opens (truncating) the given file; false when it cannot be opened.
    bool open_file(const std::string& path);
    bool is_open() const { return m_file != nullptr; }

    void write(LogLevel level, std::string_view text);

    // Supplies the script call stack appended to error lines while
    // system::dump_script_callstack_on_any_error is set; the script host
    // installs it when the VM exists and clears it when the VM goes.
    void set_call_stack_source(std::function<std::string()> source);

private:
    std::string call_stack_for(LogLevel level) const;

    FILE* m_file = nullptr;
    bool m_open_called = false;
    std::function<std::string()> m_call_stack_source;
};

extern Log* g_log;

// Line writers; without a Log the lines reach only the console.
void log_info(std::string_view text);
void log_warning(std::string_view text);
void log_error(std::string_view text);

}  // namespace me
