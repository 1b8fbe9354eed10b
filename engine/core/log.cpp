#include "core/log.h"

#include "core/builtin_cvars.h"
#include "core/console.h"
#include "core/paths.h"

namespace me {

Log* g_log = nullptr;

namespace {

const char* prefix_of(LogLevel level) {
    switch (level) {
    case LogLevel::Error:
        return "error: ";
    case LogLevel::Warning:
        return "warning: ";
    case LogLevel::Info:
        break;
    }
    return "";
}

// One write per line, flushed at once, so a crash loses at most that line.
void write_line(FILE* stream, const char* prefix, std::string_view text, const std::string& call_stack) {
    std::string line = prefix;
    line.append(text);
    line += '\n';
    if (!call_stack.empty())
        line += call_stack + '\n';
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

void write_to(Log* log, LogLevel level, std::string_view text) {
    if (log) {
        log->write(level, text);
        return;
    }
    if (Console::attached())
        write_line(stdout, prefix_of(level), text, std::string());
}

}  // namespace

Log::~Log() {
    if (m_file)
        std::fclose(m_file);
}

void Log::open() {
    if (m_open_called)
        return;
    m_open_called = true;
    std::string path = paths::save_file(kFileName);
    paths::create_directories(path);
    open_file(path);
    if (cvars::console.bool_value())
        Console::create();
}

bool Log::open_file(const std::string& path) {
    if (m_file)
        std::fclose(m_file);
    m_file = std::fopen(path.c_str(), "w");
    return m_file != nullptr;
}

void Log::write(LogLevel level, std::string_view text) {
    std::string call_stack = call_stack_for(level);
    if (m_file)
        write_line(m_file, prefix_of(level), text, call_stack);
    if (Console::attached())
        write_line(stdout, prefix_of(level), text, call_stack);
}

void Log::set_call_stack_source(std::function<std::string()> source) { m_call_stack_source = std::move(source); }

std::string Log::call_stack_for(LogLevel level) const {
    if (level != LogLevel::Error || !m_call_stack_source || !cvars::dump_script_callstack_on_any_error.bool_value())
        return std::string();
    return m_call_stack_source();
}

void log_info(std::string_view text) { write_to(g_log, LogLevel::Info, text); }
void log_warning(std::string_view text) { write_to(g_log, LogLevel::Warning, text); }
void log_error(std::string_view text) { write_to(g_log, LogLevel::Error, text); }

}  // namespace me
