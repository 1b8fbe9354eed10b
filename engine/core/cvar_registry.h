#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/cvar.h"

namespace me {

// Every configuration variable of the process, in creation order, with the
// reading of boot.config and game_config.txt and the writing of the latter.
class CVarRegistry {
public:
    static constexpr size_t kReservedVariables = 50;

    CVarRegistry() = default;
    CVarRegistry(const CVarRegistry&) = delete;
    CVarRegistry& operator=(const CVarRegistry&) = delete;
    // Unbinds the CVarDefault records bound to this registry's variables.
    ~CVarRegistry();

    // Registers every CVarDefault record (start-up).
    void register_defaults();

    CVar* find(std::string_view name) const;
    CVar& get_or_create(std::string_view name);
    // Gives the variable its type; a second registration logs an error and
    // leaves the first one's type and value.
    CVar& register_cvar(std::string_view name, CVarType type, std::string_view default_text);

    // Run-time sets: the value is marked HasValue, Persist and Changed.
    void set_text(std::string_view name, std::string_view text);
    void set_int(std::string_view name, int64_t value);
    void set_float(std::string_view name, double value);

    // Reads by name; empty, 0 or 0.0 for a variable that does not exist.
    std::string text(std::string_view name) const;
    int32_t int_value(std::string_view name) const;
    float float_value(std::string_view name) const;

    // False only when the file cannot be read.
    bool load_file(const std::string& path, bool is_boot);
    bool load_boot();
    void load_user();
    void save_user();

    bool loaded() const { return m_loaded; }
    const std::vector<std::unique_ptr<CVar>>& variables() const { return m_variables; }
    static std::string user_config_path();

private:
    std::string user_config_text() const;
    CVar& set_at_run_time(std::string_view name, std::string_view text);

    std::vector<std::unique_ptr<CVar>> m_variables;
    std::unordered_map<std::string_view, CVar*> m_index;  // keys view the names in m_variables
    bool m_loaded = false;
};

extern CVarRegistry* g_cvar_registry;

}  // namespace me
