// String concatenation: the text of each operand, interning of the joined
// result, and operands that change while the other one is converted.
#include <gtest/gtest.h>

#include <string>

#include "squirrel.h"

namespace {

// Compiles and runs `body` as a function and returns its result as a string,
// or "error" when it fails to compile, run, or return a string.
std::string run_returning_string(const std::string &body) {
    HSQUIRRELVM v = sq_open(1024);
    std::string result = "error";
    if (SQ_SUCCEEDED(sq_compilebuffer(v, body.c_str(), static_cast<SQInteger>(body.size()), "concat", SQFalse))) {
        sq_pushroottable(v);
        const SQChar *text = nullptr;
        if (SQ_SUCCEEDED(sq_call(v, 1, SQTrue, SQFalse)) && SQ_SUCCEEDED(sq_getstring(v, -1, &text))) result = text;
    }
    sq_close(v);
    return result;
}

TEST(StringConcat, ScalarsAreWrittenAsTheirText) {
    EXPECT_EQ(run_returning_string("return \"i\" + 12 + \":\" + 1.5 + true + null + -2147483647;"),
              "i12:1.5truenull-2147483647");
    EXPECT_EQ(run_returning_string("return 7 + \"\";"), "7");
    EXPECT_EQ(run_returning_string("return \"\" + \"\";"), "");
}

TEST(StringConcat, JoinedStringIsTheInternedOne) {
    EXPECT_EQ(run_returning_string("local t = { ab1 = \"found\" }; return t[\"ab\" + 1];"), "found");
    EXPECT_EQ(run_returning_string("return (\"ab\" + 1) == \"ab1\" ? \"same\" : \"different\";"), "same");
}

TEST(StringConcat, LongOperandsKeepEveryByte) {
    EXPECT_EQ(run_returning_string("local s = \"\"; for (local i = 0; i < 300; i++) s += (i % 10);"
                                   "local d = s + s; return d.len() + \":\" + d.slice(595);"),
              "600:56789");
}

TEST(StringConcat, LeftOperandReplacedByTheRightOnesTostring) {
    EXPECT_EQ(run_returning_string("local p = \"le\"; local s = p + \"ft\";"
                                   "local T = class { function _tostring() { s = null; return \"R\"; } };"
                                   "return s + T();"),
              "leftR");
}

TEST(StringConcat, FailingTostringIsAnErrorNotAString) {
    EXPECT_EQ(run_returning_string("local T = class { function _tostring() { return 3; } }; return \"x\" + T();"),
              "error");
}

}  // namespace
