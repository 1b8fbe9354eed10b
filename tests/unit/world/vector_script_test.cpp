#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "binding_test_vm.h"
#include "core/float_vector.h"

namespace me {
namespace {

class VectorScriptTest : public test::BindingTest {
protected:
    // The float elements of the array the expression returns; an element of
    // another type fails the test.
    std::vector<float> floats(const std::string& expression) {
        std::vector<float> values;
        evaluate("return " + expression + ";").push(vm());
        EXPECT_EQ(sq_gettype(vm(), -1), OT_ARRAY) << expression;
        const SQInteger size = sq_gettype(vm(), -1) == OT_ARRAY ? sq_getsize(vm(), -1) : 0;
        for (SQInteger i = 0; i < size; ++i) {
            sq_pushinteger(vm(), i);
            EXPECT_TRUE(SQ_SUCCEEDED(sq_get(vm(), -2)));
            EXPECT_EQ(sq_gettype(vm(), -1), OT_FLOAT) << expression << " element " << i;
            SQFloat value = 0.0f;
            sq_getfloat(vm(), -1, &value);
            values.push_back(value);
            sq_pop(vm(), 1);
        }
        sq_pop(vm(), 1);
        return values;
    }
};

std::vector<float> as_vector(Vec3 v) { return {v.x, v.y, v.z}; }
std::vector<float> as_vector(Quaternion q) { return {q.x, q.y, q.z, q.w}; }

TEST_F(VectorScriptTest, ConstructorsGiveFreshFloatArrays) {
    EXPECT_EQ(floats("vec2()"), (std::vector<float>{0.0f, 0.0f}));
    EXPECT_EQ(floats("vec2(1, 2.5)"), (std::vector<float>{1.0f, 2.5f}));
    EXPECT_EQ(floats("vec3()"), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(floats("vec3(1, -2, 3)"), (std::vector<float>{1.0f, -2.0f, 3.0f}));
    EXPECT_EQ(floats("quaternion()"), (std::vector<float>{0.0f, 0.0f, 0.0f, 1.0f}));
    EXPECT_FALSE(evaluate_bool("local a = vec2(); local b = vec2(); a[0] = 5.0; return b[0] == 5.0;"));
}

TEST_F(VectorScriptTest, ConstructorsCheckTheirArguments) {
    EXPECT_EQ(error_of("vec2(1)"), "Invalid number of v2() parameters.");
    EXPECT_EQ(error_of("vec2(1, 2, 3)"), "Invalid number of v2() parameters.");
    EXPECT_EQ(error_of("vec3(1, 2)"), "Invalid number of v3() parameters.");
    EXPECT_EQ(error_of("vec2(1, \"2\")"), "Expecting float as parameter 2.");
    EXPECT_EQ(error_of("vec3(null, 1, 2)"), "Expecting float as parameter 1.");
    EXPECT_EQ(error_of("quaternion(1)"), "Invalid number of quat() parameters.");
}

TEST_F(VectorScriptTest, VectorsComeAsArraysOrLooseComponentsInAnyMix) {
    EXPECT_EQ(floats("vec2_add([1, 2], [3, 4])"), (std::vector<float>{4.0f, 6.0f}));
    EXPECT_EQ(floats("vec2_add([1, 2], 3, 4)"), (std::vector<float>{4.0f, 6.0f}));
    EXPECT_EQ(floats("vec2_add(1, 2, 3, 4)"), (std::vector<float>{4.0f, 6.0f}));
    EXPECT_EQ(floats("vec2_sub(1, 2, [3, 5])"), (std::vector<float>{-2.0f, -3.0f}));
    EXPECT_EQ(floats("vec3_add([1, 2, 3], 0.5, 0.5, 0.5)"), (std::vector<float>{1.5f, 2.5f, 3.5f}));
    EXPECT_EQ(floats("vec3_sub(1, 2, 3, [1, 1, 1])"), (std::vector<float>{0.0f, 1.0f, 2.0f}));
}

TEST_F(VectorScriptTest, VectorArgumentsAreChecked) {
    EXPECT_EQ(error_of("vec2_add([1, 2, 3], [1, 2])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("vec3_length([1, 2])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("quaternion_get_up_vector([0, 0, 1])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("vec2_add([1, \"2\"], [1, 2])"), "Vector array element is not numeric.");
    EXPECT_EQ(error_of("vec3_safe_normalize([1, 2, {}])"), "Vector array element is not numeric.");
    EXPECT_EQ(error_of("vec2_add([1, 2], 3)"), "Expecting numeric.");
    EXPECT_EQ(error_of("vec2_length()"), "Expecting numeric.");
    EXPECT_EQ(error_of("vec3_length(1, 2, true)"), "Expecting numeric.");
    EXPECT_EQ(error_of("quaternion_transform_quaternion(quaternion())"), "Expecting numeric.");
}

TEST_F(VectorScriptTest, LengthsAndNormalizationMatchTheNativeFunctions) {
    EXPECT_FLOAT_EQ(evaluate_float("return vec2_length([3, 4]);"), 5.0f);
    EXPECT_FLOAT_EQ(evaluate_float("return vec3_length(1, 2, 2);"), 3.0f);
    EXPECT_FLOAT_EQ(evaluate_float("return vec2_length(0.1, 0.7);"), length(Vec2{0.1f, 0.7f}));
    EXPECT_EQ(floats("vec2_safe_normalize([3, 4])"), (std::vector<float>{0.6f, 0.8f}));
    EXPECT_EQ(floats("vec2_safe_normalize([0.00001, 0])"), (std::vector<float>{0.0f, 0.0f}));
    EXPECT_EQ(floats("vec3_safe_normalize(0, 0, 0)"), (std::vector<float>{0.0f, 0.0f, 0.0f}));
    const Vec3 normalized = safe_normalize(Vec3{1.0f, -2.0f, 0.5f});
    EXPECT_EQ(floats("vec3_safe_normalize(1, -2, 0.5)"), as_vector(normalized));
}

TEST_F(VectorScriptTest, QuaternionDirectionsOfTheIdentity) {
    EXPECT_EQ(floats("quaternion_get_forward_vector(quaternion())"), (std::vector<float>{0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(floats("quaternion_get_right_vector(quaternion())"), (std::vector<float>{1.0f, 0.0f, 0.0f}));
    EXPECT_EQ(floats("quaternion_get_up_vector(0, 0, 0, 1)"), (std::vector<float>{0.0f, 0.0f, 1.0f}));
}

TEST_F(VectorScriptTest, RotationsInTurnsMatchTheNativeFunctions) {
    const Quaternion euler = quaternion_from_euler_angles(Vec3{0.25f, 0.125f, -0.1f});
    EXPECT_EQ(floats("quaternion_from_euler_angles([0.25, 0.125, -0.1])"), as_vector(euler));
    EXPECT_EQ(floats("quaternion_get_forward_vector(quaternion_from_euler_angles(0.25, 0.125, -0.1))"),
              as_vector(forward_vector(euler)));
    const Quaternion p{0.1f, 0.2f, 0.3f, 0.9f};
    const Quaternion q{-0.5f, 0.5f, 0.5f, 0.5f};
    EXPECT_EQ(floats("quaternion_transform_quaternion([0.1, 0.2, 0.3, 0.9], -0.5, 0.5, 0.5, 0.5)"),
              as_vector(p * q));
    const Vec3 forward = safe_normalize(Vec3{1.0f, 1.0f, 0.5f});
    const std::string forward_text = "[" + std::to_string(forward.x) + ", " + std::to_string(forward.y) + ", " +
                                     std::to_string(forward.z) + "]";
    const std::vector<float> pointed = floats("quaternion_get_forward_vector(quaternion_from_forward_vector(" +
                                              forward_text + "))");
    ASSERT_EQ(pointed.size(), 3u);
    EXPECT_NEAR(pointed[0], forward.x, 1e-5f);
    EXPECT_NEAR(pointed[1], forward.y, 1e-5f);
    EXPECT_NEAR(pointed[2], forward.z, 1e-5f);
}

TEST_F(VectorScriptTest, QuarterTurnAboutZTurnsForwardToMinusX) {
    const std::vector<float> forward = floats("quaternion_get_forward_vector(quaternion_from_euler_angles(0.25, 0, 0))");
    ASSERT_EQ(forward.size(), 3u);
    EXPECT_NEAR(forward[0], -1.0f, 1e-6f);
    EXPECT_NEAR(forward[1], 0.0f, 1e-6f);
    EXPECT_NEAR(forward[2], 0.0f, 1e-6f);
}

}  // namespace
}  // namespace me
