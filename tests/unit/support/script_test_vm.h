#pragma once

#include <gtest/gtest.h>
#include <squirrel.h>

#include <string>

#include "script/script_object.h"

namespace me::testing_support {

// Runs code with the root table as this and returns what it returned.
inline ScriptObject evaluate(HSQUIRRELVM vm, const std::string& code) {
    const SQInteger top = sq_gettop(vm);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_compilebuffer(vm, code.data(), static_cast<SQInteger>(code.size()), "test", SQTrue)))
        << code;
    sq_pushroottable(vm);
    EXPECT_TRUE(SQ_SUCCEEDED(sq_call(vm, 1, SQTrue, SQTrue))) << code;
    ScriptObject result(vm, -1);
    sq_settop(vm, top);
    return result;
}

// The same, for code that returns a string.
inline std::string evaluate_string(HSQUIRRELVM vm, const std::string& code) {
    const ScriptObject result = evaluate(vm, code);
    const SQChar* text = nullptr;
    result.push(vm);
    const bool is_string = SQ_SUCCEEDED(sq_getstring(vm, -1, &text));
    std::string value = is_string ? text : "<not a string>";
    sq_pop(vm, 1);
    return value;
}

}  // namespace me::testing_support
