#pragma once

#include "core/cvar.h"

namespace me {

// A built-in variable with its default, declared as a static object next to
// the code that reads it. Construction links the record to the front of one
// list, so registration visits the records in reverse declaration order.
class CVarDefault {
public:
    CVarDefault(const char* name, const char* default_text, CVarType type);
    CVarDefault(const CVarDefault&) = delete;
    CVarDefault& operator=(const CVarDefault&) = delete;

    static CVarDefault* first();
    CVarDefault* next() const { return m_next; }

    const char* name() const { return m_name; }
    const char* default_text() const { return m_default_text; }
    CVarType type() const { return m_type; }

    // Null until CVarRegistry::register_defaults has run.
    CVar* cvar() const { return m_cvar; }
    void bind(CVar* cvar) { m_cvar = cvar; }

    // Reads through the registered variable; the default before registration.
    std::string text() const;
    int32_t int_value() const;
    float float_value() const;
    bool bool_value() const { return int_value() != 0; }
    bool take_changed();

private:
    const char* m_name;
    const char* m_default_text;
    CVarType m_type;
    CVar* m_cvar = nullptr;
    CVarDefault* m_next;
};

}  // namespace me
