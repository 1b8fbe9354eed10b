#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <variant>

namespace me::platform {

// One user's statistics and achievements, kept in a text file:
// a header line, then "int VALUE NAME", "float VALUE NAME" and
// "achievement 0|1 NAME" lines. A damaged file is moved aside (never
// overwritten) and its readable lines are kept. Names are 1 to 128 bytes
// without blanks or control characters.
class StatsStore {
public:
    static constexpr const char* kHeader = "quillmoor-stats 1";

    explicit StatsStore(std::string path) : m_path(std::move(path)) {}

    // Replaces the values by the file's; a missing file means no values.
    // False when the file was damaged (the damage is logged).
    bool load();
    // A failure is logged once until a save succeeds again: the game may try
    // every frame.
    bool save();

    // A stat never set reads as 0 of the asked type; the other type fails.
    bool get(std::string_view name, int32_t& value) const;
    bool get(std::string_view name, float& value) const;
    bool set(std::string_view name, int32_t value);
    bool set(std::string_view name, float value);
    bool achieved(std::string_view name) const;
    bool set_achieved(std::string_view name, bool achieved);
    void reset(bool achievements_too);

    static bool valid_name(std::string_view name);

private:
    using Value = std::variant<int32_t, float>;

    template <typename T>
    bool get_value(std::string_view name, T& value) const;
    template <typename T>
    bool set_value(std::string_view name, T value);
    size_t parse(std::string_view contents);
    bool parse_line(std::string_view line);
    std::string serialise() const;

    std::string m_path;
    std::map<std::string, Value, std::less<>> m_stats;
    std::map<std::string, bool, std::less<>> m_achievements;
    bool m_save_blocked = false;  // a damaged file could not be moved aside
    bool m_save_failing = false;  // the last save failed and was reported
};

}  // namespace me::platform
