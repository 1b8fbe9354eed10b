#pragma once

#include <squirrel.h>

#include <string>

#include "script/script_object.h"

namespace me {

// Reads the fields of a def, by string key. A missing field, a field of
// another type or a def that is not a table gives the default.
class DefReader {
public:
    DefReader(HSQUIRRELVM vm, const ScriptObject& def) : m_vm(vm), m_def(def) {}

    // Whether the def has the key, whatever its value.
    bool has(const char* key) const;
    // False for null, false, 0 and 0.0; true for any other present value.
    bool boolean(const char* key, bool fallback) const;
    // Floats are truncated toward zero.
    SQInteger integer(const char* key, SQInteger fallback) const;
    SQFloat floating(const char* key, SQFloat fallback) const;
    std::string string(const char* key, const std::string& fallback = "") const;
    // The table or array under key, or null.
    ScriptObject table(const char* key) const;
    ScriptObject array(const char* key) const;

private:
    // Pushes the field and answers true, or pushes nothing and answers false.
    bool push_field(const char* key) const;
    ScriptObject object_of_type(const char* key, SQObjectType wanted) const;

    HSQUIRRELVM m_vm;
    ScriptObject m_def;
};

// The value stored under a string key of a table, or null.
ScriptObject def_table_field(const ScriptObject& table, const std::string& key);

}  // namespace me
