#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "world/curve_table.h"

namespace me {
namespace {

CurveTable load_ok(const std::vector<float>& keys, const std::vector<float>& data, float time_scale = 1.0f) {
    auto result = CurveTable::load(keys, data, time_scale);
    if (const auto* error = std::get_if<CurveError>(&result)) {
        ADD_FAILURE() << curve_error_message(*error);
    }
    return std::get<CurveTable>(std::move(result));
}

CurveError load_error(const std::vector<float>& keys, const std::vector<float>& data, float time_scale = 1.0f) {
    auto result = CurveTable::load(keys, data, time_scale);
    EXPECT_TRUE(std::holds_alternative<CurveError>(result));
    return std::holds_alternative<CurveError>(result) ? std::get<CurveError>(result) : CurveError::no_keys;
}

TEST(CurveLoad, DimensionComesFromDataPerKey) {
    const CurveTable curve = load_ok({0, 1, 2}, {10, 20, 11, 21, 12, 22});
    EXPECT_EQ(curve.key_count(), 3u);
    EXPECT_EQ(curve.dimension(), 2u);
}

TEST(CurveLoad, ValuesAreStoredComponentByComponent) {
    const CurveTable curve = load_ok({0, 1, 2}, {10, 20, 11, 21, 12, 22});
    EXPECT_EQ(curve.table(), (std::vector<float>{0, 1, 2, 10, 11, 12, 20, 21, 22}));
}

TEST(CurveLoad, TimeScaleMultipliesEveryKey) {
    EXPECT_EQ(load_ok({0, 0.5f, 1}, {1, 2, 3}, 2.0f).table(), (std::vector<float>{0, 1, 2, 1, 2, 3}));
}

TEST(CurveLoad, NonPositiveTimeScaleBecomesZero) {
    for (float scale : {0.0f, -3.0f, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(load_ok({0, 0.5f, 1}, {1, 2, 3}, scale).table(), (std::vector<float>{0, 0, 0, 1, 2, 3})) << scale;
    }
}

TEST(CurveLoad, EqualKeysAreSorted) {
    EXPECT_EQ(load_ok({1, 1, 2}, {0, 5, 9}).key_count(), 3u);
}

TEST(CurveLoad, RefusesMissingKeysAndBadDataCounts) {
    EXPECT_EQ(load_error({}, {1, 2}), CurveError::no_keys);
    EXPECT_EQ(load_error({0, 1, 2}, {1, 2, 3, 4, 5, 6, 7}), CurveError::data_not_multiple_of_keys);
    EXPECT_EQ(load_error({0, 1, 2}, {1, 2}), CurveError::data_not_multiple_of_keys);
    EXPECT_EQ(load_error({0, 1}, {}), CurveError::data_not_multiple_of_keys);
}

TEST(CurveLoad, RefusesUnsortedKeys) {
    EXPECT_EQ(load_error({0, 2, 1}, {1, 2, 3}), CurveError::keys_not_sorted);
    EXPECT_EQ(load_error({0, 2, 1}, {1, 2, 3}, 0.0f), CurveError::keys_not_sorted);
    EXPECT_EQ(load_error({0, std::numeric_limits<float>::quiet_NaN(), 1}, {1, 2, 3}), CurveError::keys_not_sorted);
}

TEST(CurveLoad, ErrorMessagesNameTheCurve) {
    EXPECT_EQ(std::string(curve_error_message(CurveError::no_keys)), "Curve '%1': invalid number of keys.");
    EXPECT_EQ(std::string(curve_error_message(CurveError::keys_not_sorted)), "Curve '%1': keys are not sorted.");
    EXPECT_EQ(std::string(curve_error_message(CurveError::data_not_multiple_of_keys)),
              "Curve '%1': Invalid number of data values.");
}

TEST(CurveEvaluate, AtKeysGivesTheKeyValues) {
    const CurveTable curve = load_ok({0, 1, 3}, {10, -1, 20, -2, 40, -4});
    EXPECT_EQ(curve.evaluate(0, 0), 10.0f);
    EXPECT_EQ(curve.evaluate(1, 0), 20.0f);
    EXPECT_EQ(curve.evaluate(3, 0), 40.0f);
    EXPECT_EQ(curve.evaluate(1, 1), -2.0f);
    EXPECT_EQ(curve.evaluate(3, 1), -4.0f);
}

TEST(CurveEvaluate, BetweenKeysInterpolatesLinearly) {
    const CurveTable curve = load_ok({0, 1, 3}, {10, -1, 20, -2, 40, -4});
    EXPECT_EQ(curve.evaluate(0.5f, 0), 15.0f);
    EXPECT_EQ(curve.evaluate(2.0f, 0), 30.0f);
    EXPECT_EQ(curve.evaluate(2.5f, 0), 35.0f);
    EXPECT_EQ(curve.evaluate(0.25f, 1), -1.25f);
    EXPECT_EQ(curve.evaluate(2.0f, 1), -3.0f);
}

TEST(CurveEvaluate, OutsideTheKeysHoldsTheEndValues) {
    const CurveTable curve = load_ok({1, 2}, {5, 7});
    EXPECT_EQ(curve.evaluate(0.0f, 0), 5.0f);
    EXPECT_EQ(curve.evaluate(-1e30f, 0), 5.0f);
    EXPECT_EQ(curve.evaluate(2.5f, 0), 7.0f);
    EXPECT_EQ(curve.evaluate(std::numeric_limits<float>::infinity(), 0), 7.0f);
}

TEST(CurveEvaluate, ScaledKeysMoveTheSamples) {
    const CurveTable curve = load_ok({0, 1}, {0, 100}, 4.0f);
    EXPECT_EQ(curve.evaluate(1.0f, 0), 25.0f);
    EXPECT_EQ(curve.evaluate(4.0f, 0), 100.0f);
}

TEST(CurveEvaluate, SingleKeyIsConstant) {
    const CurveTable curve = load_ok({2}, {3, 4, 5});
    EXPECT_EQ(curve.dimension(), 3u);
    for (float t : {-1.0f, 2.0f, 9.0f}) EXPECT_EQ(curve.evaluate(t, 2), 5.0f);
}

TEST(CurveEvaluate, RepeatedKeyStepsToTheLaterValue) {
    const CurveTable curve = load_ok({0, 1, 1, 2}, {0, 10, 50, 60});
    EXPECT_EQ(curve.evaluate(0.5f, 0), 5.0f);
    EXPECT_EQ(curve.evaluate(1.0f, 0), 50.0f);
    EXPECT_EQ(curve.evaluate(1.5f, 0), 55.0f);
}

TEST(CurveEvaluate, ZeroTimeScaleGivesTheLastValues) {
    const CurveTable curve = load_ok({0, 1, 2}, {1, 2, 3}, 0.0f);
    EXPECT_EQ(curve.evaluate(0.0f, 0), 3.0f);
    EXPECT_EQ(curve.evaluate(-1.0f, 0), 1.0f);
}

TEST(CurveEvaluate, ComponentOutOfRangeIsEmpty) {
    const CurveTable curve = load_ok({0, 1}, {1, 2, 3, 4});
    EXPECT_FALSE(curve.evaluate(0.5f, 2).has_value());
    EXPECT_FALSE(curve.evaluate(0.5f, static_cast<std::size_t>(-1)).has_value());
}

TEST(CurveEvaluate, NaNTimeGivesTheLastValue) {
    const CurveTable curve = load_ok({0, 1}, {1, 2});
    EXPECT_EQ(curve.evaluate(std::numeric_limits<float>::quiet_NaN(), 0), 2.0f);
}

}  // namespace
}  // namespace me
