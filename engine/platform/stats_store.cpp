#include "platform/stats_store.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "core/log.h"
#include "core/paths.h"
#include "core/std_file.h"

namespace me::platform {
namespace {

constexpr size_t kMaxNameLength = 128;

std::string format_float(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

bool parse_int(std::string_view text, int32_t& value) {
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool parse_float(std::string_view text, float& value) {
    std::string copy(text);
    char* end = nullptr;
    value = std::strtof(copy.c_str(), &end);
    return !copy.empty() && end == copy.c_str() + copy.size();
}

// Splits "KIND VALUE NAME" at its first two blanks.
bool split_line(std::string_view line, std::string_view& kind, std::string_view& value, std::string_view& name) {
    size_t first = line.find(' ');
    size_t second = first == std::string_view::npos ? first : line.find(' ', first + 1);
    if (second == std::string_view::npos)
        return false;
    kind = line.substr(0, first);
    value = line.substr(first + 1, second - first - 1);
    name = line.substr(second + 1);
    return StatsStore::valid_name(name);
}

// Moves a damaged file out of the way under a name not yet taken.
std::string keep_damaged_file(const std::string& path) {
    for (int attempt = 1; attempt < 1000; ++attempt) {
        std::string aside = format_message("%1.damaged-%2", path, attempt);
        if (!StdFile::exists(aside))
            return std::rename(path.c_str(), aside.c_str()) == 0 ? aside : std::string();
    }
    return std::string();
}

}  // namespace

bool StatsStore::valid_name(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    for (char c : name) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7f)
            return false;
    }
    return true;
}

bool StatsStore::load() {
    m_stats.clear();
    m_achievements.clear();
    m_save_blocked = false;
    if (!StdFile::exists(m_path))
        return true;
    std::string contents;
    size_t bad_line = 0;
    if (StdFile::read_whole(m_path, contents))
        bad_line = parse(contents);
    else
        bad_line = 1;
    if (bad_line == 0)
        return true;
    std::string aside = keep_damaged_file(m_path);
    if (aside.empty()) {
        m_save_blocked = true;
        log_error(format_message("Statistics file '%1' is damaged at line %2 and cannot be moved aside; "
                                 "statistics will not be saved over it.",
                                 m_path, bad_line));
    } else {
        log_error(format_message("Statistics file '%1' is damaged at line %2; its readable values are kept "
                                 "and the file was moved to '%3'.",
                                 m_path, bad_line, aside));
    }
    return false;
}

// Returns the number of the first line that could not be read, or 0.
size_t StatsStore::parse(std::string_view contents) {
    size_t number = 0;
    size_t bad_line = 0;
    while (!contents.empty()) {
        size_t end = contents.find('\n');
        std::string_view line = contents.substr(0, end);
        contents.remove_prefix(end == std::string_view::npos ? contents.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        ++number;
        if (number == 1 && line != kHeader)
            return 1;
        if (number > 1 && !parse_line(line) && bad_line == 0)
            bad_line = number;
    }
    return number == 0 ? 1 : bad_line;
}

bool StatsStore::parse_line(std::string_view line) {
    std::string_view kind, text, name;
    if (!split_line(line, kind, text, name))
        return false;
    std::string key(name);
    if (kind == "int") {
        int32_t value = 0;
        return parse_int(text, value) && m_stats.emplace(key, value).second;
    }
    if (kind == "float") {
        float value = 0.0f;
        return parse_float(text, value) && m_stats.emplace(key, value).second;
    }
    if (kind == "achievement" && (text == "0" || text == "1"))
        return m_achievements.emplace(key, text == "1").second;
    return false;
}

std::string StatsStore::serialise() const {
    std::string text = std::string(kHeader) + "\n";
    for (const auto& [name, value] : m_stats) {
        if (const int32_t* integer = std::get_if<int32_t>(&value))
            text += "int " + std::to_string(*integer) + " " + name + "\n";
        else
            text += "float " + format_float(std::get<float>(value)) + " " + name + "\n";
    }
    for (const auto& [name, achieved] : m_achievements)
        text += std::string("achievement ") + (achieved ? "1 " : "0 ") + name + "\n";
    return text;
}

bool StatsStore::save() {
    const bool report = !m_save_failing;
    if (m_save_blocked) {
        if (report)
            log_error(format_message("Statistics are not saved over the damaged file '%1'.", m_path));
        m_save_failing = true;
        return false;
    }
    paths::create_directories(m_path);
    const bool saved = StdFile::replace_whole(m_path, serialise(), report);
    if (!saved && report)
        log_error(format_message("Statistics can't be saved to '%1'; later stores try again without logging "
                                 "until one works.",
                                 m_path));
    if (saved && m_save_failing)
        log_info(format_message("Statistics saved to '%1' again.", m_path));
    m_save_failing = !saved;
    return saved;
}

template <typename T>
bool StatsStore::get_value(std::string_view name, T& value) const {
    auto found = m_stats.find(name);
    if (found == m_stats.end()) {
        value = T();
        return valid_name(name);
    }
    const T* stored = std::get_if<T>(&found->second);
    if (!stored)
        return false;
    value = *stored;
    return true;
}

template <typename T>
bool StatsStore::set_value(std::string_view name, T value) {
    if (!valid_name(name))
        return false;
    auto found = m_stats.find(name);
    if (found == m_stats.end()) {
        m_stats.emplace(std::string(name), value);
        return true;
    }
    if (!std::holds_alternative<T>(found->second))
        return false;
    found->second = value;
    return true;
}

bool StatsStore::get(std::string_view name, int32_t& value) const { return get_value(name, value); }
bool StatsStore::get(std::string_view name, float& value) const { return get_value(name, value); }
bool StatsStore::set(std::string_view name, int32_t value) { return set_value(name, value); }
bool StatsStore::set(std::string_view name, float value) { return set_value(name, value); }

bool StatsStore::achieved(std::string_view name) const {
    auto found = m_achievements.find(name);
    return found != m_achievements.end() && found->second;
}

bool StatsStore::set_achieved(std::string_view name, bool achieved) {
    if (!valid_name(name))
        return false;
    m_achievements.insert_or_assign(std::string(name), achieved);
    return true;
}

void StatsStore::reset(bool achievements_too) {
    m_stats.clear();
    if (achievements_too)
        m_achievements.clear();
}

}  // namespace me::platform
