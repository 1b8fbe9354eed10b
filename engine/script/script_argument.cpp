#include "script/script_argument.h"

namespace me {

namespace {

struct ArgumentPusher {
    HSQUIRRELVM vm;

    void operator()(std::monostate) const { sq_pushnull(vm); }
    void operator()(SQInteger value) const { sq_pushinteger(vm, value); }
    void operator()(SQFloat value) const { sq_pushfloat(vm, value); }
    void operator()(bool value) const { sq_pushbool(vm, value ? SQTrue : SQFalse); }
    void operator()(const std::string& value) const {
        sq_pushstring(vm, value.data(), static_cast<SQInteger>(value.size()));
    }
    void operator()(const ScriptObject& value) const { value.push(vm); }
};

}  // namespace

void push_argument(HSQUIRRELVM vm, const ScriptArgument& argument) { std::visit(ArgumentPusher{vm}, argument); }

}  // namespace me
