#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "binding_test_vm.h"
#include "core/fixed.h"
#include "core/fixed_vec2.h"

namespace me {
namespace {

class FixedScriptTest : public test::BindingTest {
protected:
    SQInteger call(const std::string& expression) { return evaluate_integer("return " + expression + ";"); }
};

TEST_F(FixedScriptTest, ConversionsFollowTheNativeRounding) {
    EXPECT_EQ(call("fixed_from_int(3)"), fixed_from_int(3));
    EXPECT_EQ(call("fixed_from_int(-2.9)"), fixed_from_int(-2));
    EXPECT_EQ(call("fixed_from_int(32768)"), -2147483648LL);
    EXPECT_EQ(call("fixed_from_float(-1.5)"), -98304);
    EXPECT_EQ(call("fixed_from_float(0.00001)"), 0);
    EXPECT_EQ(call("fixed_from_float(2)"), 131072);
    EXPECT_EQ(call("fixed_to_int(-1)"), -1);
    EXPECT_EQ(call("fixed_to_int(-65536)"), -1);
    EXPECT_EQ(call("fixed_to_int(-65537)"), -2);
    EXPECT_EQ(call("fixed_to_int(196608)"), 3);
    EXPECT_FLOAT_EQ(evaluate_float("return fixed_to_float(98304);"), 1.5f);
    EXPECT_FLOAT_EQ(evaluate_float("return fixed_to_float(-1);"), fixed_to_float(-1));
}

TEST_F(FixedScriptTest, ArithmeticMatchesTheNativeFunctions) {
    EXPECT_EQ(call("fixed_mul(-1, 1)"), -1);
    EXPECT_EQ(call("fixed_mul(196608, -32768)"), fixed_mul(196608, -32768));
    EXPECT_EQ(call("fixed_div(-1, 131072)"), 0);
    EXPECT_EQ(call("fixed_div(65536, 196608)"), *fixed_div(65536, 196608));
    EXPECT_EQ(call("fixed_from_int_division(1, 3)"), 21845);
    EXPECT_EQ(call("fixed_from_int_division(-7.8, 2)"), *fixed_from_int_division(-7, 2));
    EXPECT_EQ(call("fixed_lerp(0, 655360, 32768)"), 327680);
    EXPECT_EQ(call("fixed_lerp(-65536, 65536, 16384)"), fixed_lerp(-65536, 65536, 16384));
}

TEST_F(FixedScriptTest, LengthAndDotSign) {
    EXPECT_EQ(call("fixed_length3(65536, 0, 0)"), 65536);
    EXPECT_EQ(call("fixed_length3(3 * 65536, 4 * 65536, 0)"), 5 * 65536);
    EXPECT_EQ(call("fixed_length3(65536, 65536, 65536)"), fixed_length3(65536, 65536, 65536));
    EXPECT_EQ(call("fixed2_dot_product_sign([1, 0], [-1, 0])"), -1);
    EXPECT_EQ(call("fixed2_dot_product_sign(1, 0, 1, 0)"), 1);
    EXPECT_EQ(call("fixed2_dot_product_sign([1, 0], 0, 5)"), 0);
    EXPECT_EQ(call("fixed2_dot_product_sign(0, 0, [7, 7])"), 0);
    EXPECT_EQ(call("fixed2_dot_product_sign([2147483647, 2147483647], [2147483647, 2147483647])"), 1);
    EXPECT_EQ(call("fixed2_dot_product_sign([-2147483647 - 1, 0], [2147483647, 0])"), -1);
}

TEST_F(FixedScriptTest, FixedArgumentsMustBeIntegers) {
    const std::string expected = "Expecting integer (fixed-point).";
    EXPECT_EQ(error_of("fixed_to_float(1.0)"), expected);
    EXPECT_EQ(error_of("fixed_to_int(\"1\")"), expected);
    EXPECT_EQ(error_of("fixed_mul(1, 2.0)"), expected);
    EXPECT_EQ(error_of("fixed_mul(1)"), expected);
    EXPECT_EQ(error_of("fixed_div(null, 1)"), expected);
    EXPECT_EQ(error_of("fixed_lerp(1, 2)"), expected);
    EXPECT_EQ(error_of("fixed_lerp(1, 2, true)"), expected);
    EXPECT_EQ(error_of("fixed_length3(1, 2, 3.5)"), expected);
    EXPECT_EQ(error_of("fixed2_dot_product_sign(1, 2, 3)"), expected);
    EXPECT_EQ(error_of("fixed2_dot_product_sign(1.0, 2, 3, 4)"), expected);
}

TEST_F(FixedScriptTest, ConversionArgumentsMustBeNumeric) {
    EXPECT_EQ(error_of("fixed_from_int(\"3\")"), "Expecting integer.");
    EXPECT_EQ(error_of("fixed_from_int()"), "Expecting integer.");
    EXPECT_EQ(error_of("fixed_from_float(null)"), "Expecting float.");
    EXPECT_EQ(error_of("fixed_from_int_division([1], 2)"), "Expecting integer.");
    EXPECT_EQ(error_of("fixed_from_int_division(1, 2.0)"), "Expecting integer.");
    EXPECT_EQ(error_of("fixed_from_int_division(1)"), "Expecting integer.");
}

TEST_F(FixedScriptTest, FixedVectorArraysAreChecked) {
    EXPECT_EQ(error_of("fixed2_dot_product_sign([1, 2, 3], [1, 2])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("fixed2_dot_product_sign([1, 2], [])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("fixed2_dot_product_sign([1, 2.0], [1, 2])"), "Vector array element is not integer (fixed-point).");
    EXPECT_EQ(error_of("fixed2_dot_product_sign([1, 2], [null, 2])"), "Vector array element is not integer (fixed-point).");
}

TEST_F(FixedScriptTest, UndefinedQuotientsRaiseAnErrorNamingTheFunction) {
    EXPECT_EQ(error_of("fixed_div(65536, 0)"), "fixed_div(): division by zero.");
    EXPECT_EQ(error_of("fixed_from_int_division(1, 0)"),
              "fixed_from_int_division(): division by zero or a quotient out of range.");
    EXPECT_EQ(call("fixed_div(-2147483647 - 1, -65536)"), *fixed_div(INT32_MIN, -65536));
    EXPECT_EQ(call("fixed_div(-2147483647 - 1, -1)"), *fixed_div(INT32_MIN, -1));
    if constexpr (sizeof(SQInteger) == 8) {
        EXPECT_EQ(error_of("fixed_from_int_division(-140737488355328, -1)"),
                  "fixed_from_int_division(): division by zero or a quotient out of range.");
    }
}

}  // namespace
}  // namespace me
