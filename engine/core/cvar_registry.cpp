#include "core/cvar_registry.h"

#include <cstdio>

#include "core/cvar_default.h"
#include "core/log.h"
#include "core/paths.h"
#include "core/std_file.h"

namespace me {

CVarRegistry* g_cvar_registry = nullptr;

namespace {

constexpr const char* kBootConfigPath = "boot.config";
constexpr const char* kUserConfigName = "game_config.txt";

std::string_view trim_blanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view unquote(std::string_view value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

// Calls visit for every line; lines end at LF, CR LF or a lone CR.
template <typename Visit>
void for_each_line(std::string_view text, Visit visit) {
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            visit(text.substr(start));
            return;
        }
        visit(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
}

// A variable whose line would not read back as the same name and value is
// left out of the file rather than corrupting it.
bool writes_back_intact(const CVar& cvar) {
    const std::string& name = cvar.name();
    return !name.empty() && trim_blanks(name).size() == name.size() &&
           name.find_first_of("=\r\n") == std::string::npos &&
           cvar.text().find_first_of("\r\n") == std::string::npos;
}

// A value set at run time is saved on one line of game_config.txt, so a
// line break in it would add lines of its own to the file.
std::string without_line_breaks(std::string_view name, std::string_view text) {
    std::string value(text);
    if (value.find_first_of("\r\n") == std::string::npos)
        return value;
    for (char& c : value)
        if (c == '\r' || c == '\n')
            c = ' ';
    log_warning(format_message("CVar '%1' was given a line break, which is replaced by a space.", name));
    return value;
}

}  // namespace

CVarRegistry::~CVarRegistry() {
    for (CVarDefault* record = CVarDefault::first(); record; record = record->next())
        if (record->cvar() && find(record->name()) == record->cvar())
            record->bind(nullptr);
}

void CVarRegistry::register_defaults() {
    m_variables.reserve(kReservedVariables);
    for (CVarDefault* record = CVarDefault::first(); record; record = record->next())
        record->bind(&register_cvar(record->name(), record->type(), record->default_text()));
}

CVar* CVarRegistry::find(std::string_view name) const {
    auto found = m_index.find(name);
    return found == m_index.end() ? nullptr : found->second;
}

CVar& CVarRegistry::get_or_create(std::string_view name) {
    if (CVar* existing = find(name))
        return *existing;
    CVar& created = *m_variables.emplace_back(std::make_unique<CVar>(std::string(name)));
    m_index.emplace(created.name(), &created);
    return created;
}

CVar& CVarRegistry::register_cvar(std::string_view name, CVarType type, std::string_view default_text) {
    CVar& cvar = get_or_create(name);
    if (cvar.has(CVar::Registered)) {
        log_error(format_message("CVar '%1' already registered!", name));
        return cvar;
    }
    cvar.set_type(type);
    if (cvar.has(CVar::HasValue))
        cvar.set_from_text(cvar.text());
    else
        cvar.set_from_text(default_text);
    cvar.add_flags(CVar::Registered);
    return cvar;
}

CVar& CVarRegistry::set_at_run_time(std::string_view name, std::string_view text) {
    CVar& cvar = get_or_create(name);
    cvar.set_from_text(without_line_breaks(name, text));
    cvar.add_flags(CVar::HasValue | CVar::Persist | CVar::Changed);
    return cvar;
}

void CVarRegistry::set_text(std::string_view name, std::string_view text) { set_at_run_time(name, text); }

void CVarRegistry::set_int(std::string_view name, int64_t value) { set_at_run_time(name, std::to_string(value)); }

void CVarRegistry::set_float(std::string_view name, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    set_at_run_time(name, text);
}

std::string CVarRegistry::text(std::string_view name) const {
    const CVar* cvar = find(name);
    return cvar ? cvar->text() : std::string();
}

int32_t CVarRegistry::int_value(std::string_view name) const {
    const CVar* cvar = find(name);
    return cvar ? cvar->int_value() : 0;
}

float CVarRegistry::float_value(std::string_view name) const {
    const CVar* cvar = find(name);
    return cvar ? cvar->float_value() : 0.0f;
}

bool CVarRegistry::load_file(const std::string& path, bool is_boot) {
    std::string contents;
    if (!StdFile::read_whole(path, contents))
        return false;
    for_each_line(contents, [&](std::string_view line) {
        size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return;
        std::string_view name = trim_blanks(line.substr(0, equals));
        if (name.empty())
            return;
        CVar& cvar = get_or_create(name);
        cvar.set_from_text(unquote(trim_blanks(line.substr(equals + 1))));
        cvar.add_flags(CVar::HasValue);
        if (is_boot)
            cvar.clear_flags(CVar::Persist);
        else
            cvar.add_flags(CVar::Persist);
        cvar.clear_flags(CVar::Changed);
    });
    return true;
}

bool CVarRegistry::load_boot() { return load_file(kBootConfigPath, true); }

void CVarRegistry::load_user() {
    std::string path = user_config_path();
    if (StdFile::exists(path))
        load_file(path, false);
    m_loaded = true;
}

std::string CVarRegistry::user_config_text() const {
    std::string text;
    for (const auto& cvar : m_variables) {
        if (!cvar->has(CVar::Persist) || cvar->name().empty())
            continue;
        if (writes_back_intact(*cvar))
            text += cvar->name() + " = \"" + cvar->text() + "\"\r\n";
        else
            log_warning(format_message("CVar '%1' would not read back intact and is not saved.", cvar->name()));
    }
    return text;
}

void CVarRegistry::save_user() {
    if (!m_loaded)
        return;
    std::string text = user_config_text();
    std::string path = user_config_path();
    paths::create_directories(path);
    if (!StdFile::replace_whole(path, text, false))
        log_error(format_message("Error saving config to '%1'.", path));
}

std::string CVarRegistry::user_config_path() { return paths::save_file(kUserConfigName); }

}  // namespace me
