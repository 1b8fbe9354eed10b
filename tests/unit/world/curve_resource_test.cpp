#include <gtest/gtest.h>

#include <string>

#include "binding_test_vm.h"
#include "resources/resource_list.h"
#include "resources/resource_registry.h"
#include "world/curve.h"

namespace me {
namespace {

class CurveResourceTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous_list = g_resource_list;
        g_resource_list = &m_held;
    }

    // Resources hold script objects, so they go before the VM does.
    void TearDown() override {
        m_loaded.reset();
        m_held.release_all();
        BindingTest::TearDown();
        g_resource_list = m_previous_list;
    }

    // Defines name in g_curve_defs from the table literal and loads it.
    const CurveTable* load(const std::string& name, const std::string& def) {
        evaluate("g_curve_defs[\"" + name + "\"] <- " + def + "; return null;");
        m_loaded = load_resource(resource_types::curve, name);
        const auto* curve = static_cast<const Curve*>(m_loaded.get());
        return curve != nullptr ? curve->table() : nullptr;
    }

    bool failed_with(const std::string& message, const std::string& name) {
        return logged(message) && logged("Unable to load curve '" + name + "'.");
    }

    ResourceList m_held;

private:
    ResourceList* m_previous_list = nullptr;
    ResourceRef<ResourceObject> m_loaded;
};

TEST_F(CurveResourceTest, ThreeKeysAndSixValuesHaveDimensionTwoStoredByComponent) {
    const CurveTable* table = load("wave", "{ keys = [0, 1, 2], data = [10, 20, 11, 21, 12, 22] }");
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->key_count(), 3u);
    EXPECT_EQ(table->dimension(), 2u);
    const std::vector<float> expected{0, 1, 2, 10, 11, 12, 20, 21, 22};
    EXPECT_EQ(table->table(), expected);
}

TEST_F(CurveResourceTest, TheTimeScaleMultipliesEveryKey) {
    const CurveTable* table = load("slow", "{ keys = [0, 0.5, 1], data = [1, 2, 3], time_scale = 2.0 }");
    ASSERT_NE(table, nullptr);
    EXPECT_FLOAT_EQ(table->table()[0], 0.0f);
    EXPECT_FLOAT_EQ(table->table()[1], 1.0f);
    EXPECT_FLOAT_EQ(table->table()[2], 2.0f);
}

TEST_F(CurveResourceTest, EachBrokenDefFailsWithItsMessage) {
    EXPECT_EQ(load("a", "{ data = [1] }"), nullptr);
    EXPECT_TRUE(failed_with("Curve 'a': Invalid keys.", "a"));
    EXPECT_EQ(load("b", "{ keys = [], data = [1] }"), nullptr);
    EXPECT_TRUE(failed_with("Curve 'b': invalid number of keys.", "b"));
    EXPECT_EQ(load("c", "{ keys = [0, 2, 1], data = [1, 2, 3] }"), nullptr);
    EXPECT_TRUE(failed_with("Curve 'c': keys are not sorted.", "c"));
    EXPECT_EQ(load("d", "{ keys = [0, 1, 2] }"), nullptr);
    EXPECT_TRUE(failed_with("Curve 'd': Invalid data.", "d"));
    EXPECT_EQ(load("e", "{ keys = [0, 1, 2], data = [1, 2, 3, 4, 5, 6, 7] }"), nullptr);
    EXPECT_TRUE(failed_with("Curve 'e': Invalid number of data values.", "e"));
    EXPECT_EQ(load("f", "{ keys = [0, \"x\"], data = [1, 2] }"), nullptr);
    EXPECT_TRUE(failed_with("Curve 'f': Invalid keys.", "f"));
}

TEST_F(CurveResourceTest, AMissingDefIsReported) {
    EXPECT_FALSE(load_resource(resource_types::curve, "nowhere"));
    EXPECT_TRUE(logged("Can't load curve 'nowhere', def not found."));
}

}  // namespace
}  // namespace me
