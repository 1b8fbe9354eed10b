#include "platform/file.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/log.h"
#include "core/paths.h"
#include "platform/platform_services.h"

namespace me {

const ClassRecord File::kClassRecord{"File", &EngineObject::kClassRecord};

namespace {

enum class Location { Data, Save, Cloud };

Location location_of(std::string_view location) {
    if (location == "save" || location == "home")
        return Location::Save;
    if (location == "steam")
        return Location::Cloud;
    return Location::Data;
}

std::string local_path(std::string_view path, Location location) {
    return location == Location::Save ? paths::save_file(path) : paths::data_file(path);
}

bool is_separator(char c) { return c == '/' || c == '\\'; }

// Files being written, closed at exit by close_all_written.
std::vector<File*>& written_files() {
    static std::vector<File*> files;
    return files;
}

// A name beside the target that no other File of this process uses.
std::string temporary_beside(const std::string& target) {
    static uint32_t next = 0;
    return format_message("%1.~writing-%2-%3", target, static_cast<int64_t>(getpid()), ++next);
}

std::optional<std::string> read_cloud(std::string_view name) {
    if (g_platform_services != nullptr)
        return g_platform_services->cloud_read(name);
    log_error(format_message("Steam Cloud: Can't read file '%1'.", name));
    return std::nullopt;
}

bool write_cloud(std::string_view name, std::string_view bytes) {
    if (g_platform_services != nullptr)
        return g_platform_services->cloud_write(name, bytes);
    log_error(format_message("Steam Cloud: Error writting file '%1'.", name));
    return false;
}

void report_previous_content_kept(const std::string& target) {
    log_error(format_message("Can't write file '%1'; it keeps its previous content.", target));
}

}  // namespace

File::~File() { close(); }

bool File::is_contained_path(std::string_view path) {
    bool contained = !path.empty() && !is_separator(path.front()) && path.find(':') == std::string_view::npos &&
                     path.find('\0') == std::string_view::npos;
    for (size_t start = 0; contained && start <= path.size();) {
        const auto end = std::find_if(path.begin() + static_cast<std::ptrdiff_t>(start), path.end(), is_separator);
        const size_t length = static_cast<size_t>(end - path.begin()) - start;
        contained = path.substr(start, length) != "..";
        start += length + 1;
    }
    if (!contained)
        log_error(format_message("Can't open file '%1': the path leaves its location.", path));
    return contained;
}

bool File::open(std::string_view path, std::string_view mode, std::string_view location) {
    close();
    if (mode != "r" && mode != "w")
        return false;
    if (!is_contained_path(path))
        return false;
    return mode == "r" ? open_for_reading(path, location) : open_for_writing(path, location);
}

bool File::open_for_reading(std::string_view path, std::string_view location) {
    const Location where = location_of(location);
    if (where == Location::Cloud) {
        std::optional<std::string> bytes = read_cloud(path);
        if (!bytes)
            return false;
        m_buffer = std::move(*bytes);
    } else if (!StdFile::read_whole(local_path(path, where), m_buffer)) {
        return false;
    }
    m_read_position = 0;
    m_mode = Mode::Reading;
    return true;
}

bool File::open_for_writing(std::string_view path, std::string_view location) {
    const Location where = location_of(location);
    m_target = where == Location::Cloud ? std::string(path) : local_path(path, where);
    m_written = 0;
    m_write_failed = false;
    if (where == Location::Cloud) {
        m_mode = Mode::WritingCloud;
    } else {
        paths::create_directories(m_target);
        m_temporary = temporary_beside(m_target);
        if (!m_stream.open(m_temporary, StdFile::Write, false)) {
            log_error(format_message("Can't open file '%1' for writing.", m_target));
            return false;
        }
        m_mode = Mode::WritingLocal;
    }
    written_files().push_back(this);
    return true;
}

bool File::close() {
    bool finished = true;
    if (m_mode == Mode::WritingLocal)
        finished = finish_local_file();
    else if (m_mode == Mode::WritingCloud)
        finished = finish_cloud_file();
    forget_written();
    m_mode = Mode::Closed;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_read_position = 0;
    m_target.clear();
    m_temporary.clear();
    return finished;
}

// The bytes reach the disk before the rename, so the target holds either its
// old content or the whole new one.
bool File::finish_local_file() {
    const bool synced = !m_write_failed && m_stream.sync();
    const bool closed = m_stream.close();
    if (!synced && closed && !m_write_failed)
        log_error("Error closing file. Disk full?");
    if (synced && closed && std::rename(m_temporary.c_str(), m_target.c_str()) == 0)
        return true;
    std::remove(m_temporary.c_str());
    report_previous_content_kept(m_target);
    return false;
}

bool File::finish_cloud_file() {
    if (!m_write_failed)
        return write_cloud(m_target, m_buffer);
    report_previous_content_kept(m_target);
    return false;
}

void File::forget_written() { std::erase(written_files(), this); }

void File::close_all_written() {
    const std::vector<File*> files = written_files();
    for (File* file : files)
        file->close();
}

// ---------------------------------------------------------------------------
// Reading and writing

std::optional<std::string> File::read_line() {
    if (m_mode != Mode::Reading || m_read_position >= m_buffer.size())
        return std::nullopt;
    const size_t end = std::min(m_buffer.find('\n', m_read_position), m_buffer.size());
    std::string line = m_buffer.substr(m_read_position, end - m_read_position);
    m_read_position = std::min(end + 1, m_buffer.size());
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::optional<std::string> File::read_rest() {
    if (m_mode != Mode::Reading)
        return std::nullopt;
    std::string rest = m_buffer.substr(m_read_position);
    m_read_position = m_buffer.size();
    return rest;
}

bool File::write_line(std::string_view text) {
    std::string line(text);
    line += "\r\n";
    return append(line);
}

bool File::write_bytes(std::span<const uint8_t> bytes) {
    return append(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool File::append(std::string_view bytes) {
    if (m_mode != Mode::WritingLocal && m_mode != Mode::WritingCloud)
        return false;
    if (m_written + static_cast<int64_t>(bytes.size()) > StdFile::kMaxWholeFileSize) {
        log_error(format_message("File '%1' would grow past %2 bytes; the write is refused.", m_target,
                                 StdFile::kMaxWholeFileSize));
        m_write_failed = true;
        return false;
    }
    if (m_mode == Mode::WritingCloud) {
        m_buffer.append(bytes);
    } else if (!m_stream.write(bytes.data(), bytes.size())) {
        m_write_failed = true;
        return false;
    }
    m_written += static_cast<int64_t>(bytes.size());
    return true;
}

}  // namespace me
