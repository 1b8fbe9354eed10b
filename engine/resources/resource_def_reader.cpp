#include "resources/resource_def_reader.h"

#include "resources/resource_registry.h"

namespace me {

namespace {

// Pops the value pushed by a successful lookup when it goes out of scope.
class PushedValue {
public:
    explicit PushedValue(HSQUIRRELVM vm) : m_vm(vm) {}
    ~PushedValue() { sq_pop(m_vm, 1); }
    PushedValue(const PushedValue&) = delete;
    PushedValue& operator=(const PushedValue&) = delete;

private:
    HSQUIRRELVM m_vm;
};

bool push_string_field(HSQUIRRELVM vm, const ScriptObject& table, const char* key, SQInteger key_length) {
    if (table.type() != OT_TABLE)
        return false;
    table.push(vm);
    sq_pushstring(vm, key, key_length);
    if (SQ_SUCCEEDED(sq_rawget(vm, -2))) {
        sq_remove(vm, -2);
        return true;
    }
    sq_pop(vm, 1);
    return false;
}

}  // namespace

bool DefReader::push_field(const char* key) const { return push_string_field(m_vm, m_def, key, -1); }

bool DefReader::has(const char* key) const {
    if (!push_field(key))
        return false;
    sq_pop(m_vm, 1);
    return true;
}

bool DefReader::boolean(const char* key, bool fallback) const {
    if (!push_field(key))
        return fallback;
    PushedValue pushed(m_vm);
    switch (sq_gettype(m_vm, -1)) {
        case OT_NULL:
            return false;
        case OT_BOOL: {
            SQBool value = SQFalse;
            sq_getbool(m_vm, -1, &value);
            return value != SQFalse;
        }
        case OT_INTEGER: {
            SQInteger value = 0;
            sq_getinteger(m_vm, -1, &value);
            return value != 0;
        }
        case OT_FLOAT: {
            SQFloat value = 0;
            sq_getfloat(m_vm, -1, &value);
            return value != 0;
        }
        default:
            return true;
    }
}

SQInteger DefReader::integer(const char* key, SQInteger fallback) const {
    if (!push_field(key))
        return fallback;
    PushedValue pushed(m_vm);
    const SQObjectType type = sq_gettype(m_vm, -1);
    if (type != OT_INTEGER && type != OT_FLOAT)
        return fallback;
    SQInteger value = fallback;
    sq_getinteger(m_vm, -1, &value);
    return value;
}

SQFloat DefReader::floating(const char* key, SQFloat fallback) const {
    if (!push_field(key))
        return fallback;
    PushedValue pushed(m_vm);
    const SQObjectType type = sq_gettype(m_vm, -1);
    if (type != OT_INTEGER && type != OT_FLOAT)
        return fallback;
    SQFloat value = fallback;
    sq_getfloat(m_vm, -1, &value);
    return value;
}

std::string DefReader::string(const char* key, const std::string& fallback) const {
    if (!push_field(key))
        return fallback;
    PushedValue pushed(m_vm);
    if (sq_gettype(m_vm, -1) != OT_STRING)
        return fallback;
    const SQChar* text = nullptr;
    sq_getstring(m_vm, -1, &text);
    return std::string(text, static_cast<size_t>(sq_getsize(m_vm, -1)));
}

ScriptObject DefReader::object_of_type(const char* key, SQObjectType wanted) const {
    if (!push_field(key))
        return {};
    PushedValue pushed(m_vm);
    return sq_gettype(m_vm, -1) == wanted ? ScriptObject(m_vm, -1) : ScriptObject();
}

ScriptObject DefReader::table(const char* key) const { return object_of_type(key, OT_TABLE); }

ScriptObject DefReader::array(const char* key) const { return object_of_type(key, OT_ARRAY); }

ScriptObject def_table_field(const ScriptObject& table, const std::string& key) {
    HSQUIRRELVM vm = resource_vm();
    if (vm == nullptr || !push_string_field(vm, table, key.c_str(), static_cast<SQInteger>(key.size())))
        return {};
    PushedValue pushed(vm);
    return ScriptObject(vm, -1);
}

}  // namespace me
