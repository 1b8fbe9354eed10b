#include <cstdio>
#include <string>
#include <variant>

#include "core/cvar_registry.h"
#include "core/log.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

std::string float_text(SQFloat value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
    return text;
}

// An integer, float or string argument; anything else is no value.
using CVarValue = std::variant<std::monostate, SQInteger, SQFloat, std::string>;

CVarValue read_cvar_value(HSQUIRRELVM vm, SQInteger index) {
    const SQObjectType type = index <= sq_gettop(vm) ? sq_gettype(vm, index) : OT_NULL;
    SQInteger integer = 0;
    SQFloat number = 0.0f;
    const SQChar* text = nullptr;
    if (type == OT_INTEGER && SQ_SUCCEEDED(sq_getinteger(vm, index, &integer)))
        return integer;
    if (type == OT_FLOAT && SQ_SUCCEEDED(sq_getfloat(vm, index, &number)))
        return number;
    if (type == OT_STRING && SQ_SUCCEEDED(sq_getstring(vm, index, &text)))
        return std::string(text);
    return std::monostate{};
}

void register_value(CVarRegistry& registry, const char* name, const CVarValue& value) {
    if (const auto* integer = std::get_if<SQInteger>(&value))
        registry.register_cvar(name, CVarType::Int, std::to_string(*integer));
    else if (const auto* number = std::get_if<SQFloat>(&value))
        registry.register_cvar(name, CVarType::Float, float_text(*number));
    else if (const auto* text = std::get_if<std::string>(&value))
        registry.register_cvar(name, CVarType::String, *text);
    else
        log_error("Invalid type passed to register_cvar().");
}

void set_value(CVarRegistry& registry, const char* name, const CVarValue& value) {
    if (const auto* integer = std::get_if<SQInteger>(&value))
        registry.set_int(name, *integer);
    else if (const auto* number = std::get_if<SQFloat>(&value))
        registry.set_float(name, *number);
    else if (const auto* text = std::get_if<std::string>(&value))
        registry.set_text(name, *text);
    else
        log_error("Invalid type passed to set_cvar().");
}

template <void (*Apply)(CVarRegistry&, const char*, const CVarValue&)>
SQInteger apply_cvar_value(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    if (g_cvar_registry != nullptr)
        Apply(*g_cvar_registry, name, read_cvar_value(vm, 3));
    return 0;
}

SQInteger save_config(HSQUIRRELVM) {
    if (g_cvar_registry != nullptr)
        g_cvar_registry->save_user();
    return 0;
}

SQInteger get_cvar_integer(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    sq_pushinteger(vm, g_cvar_registry != nullptr ? g_cvar_registry->int_value(name) : 0);
    return 1;
}

SQInteger get_cvar_float(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    sq_pushfloat(vm, g_cvar_registry != nullptr ? g_cvar_registry->float_value(name) : 0.0f);
    return 1;
}

SQInteger get_cvar(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    const std::string text = g_cvar_registry != nullptr ? g_cvar_registry->text(name) : std::string();
    sq_pushstring(vm, text.c_str(), static_cast<SQInteger>(text.size()));
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"register_cvar", apply_cvar_value<register_value>},
    {"set_cvar", apply_cvar_value<set_value>},
    {"save_config", save_config},       {"get_cvar_integer", get_cvar_integer},
    {"get_cvar_float", get_cvar_float}, {"get_cvar", get_cvar},
};

void bind_config_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_config_functions(bind_config_functions);

}  // namespace

}  // namespace me
