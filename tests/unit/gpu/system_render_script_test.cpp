#include <gtest/gtest.h>

#include <array>

#include "binding_test_vm.h"
#include "gpu/render_device.h"

namespace me {
namespace {

// The render device's System functions need no GL: they only set and read
// the device's fields.
class SystemRenderScriptTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_previous = g_render_device;
        g_render_device = &device;
    }

    void TearDown() override {
        g_render_device = m_previous;
        BindingTest::TearDown();
    }

    RenderDevice device;

private:
    RenderDevice* m_previous = nullptr;
};

TEST_F(SystemRenderScriptTest, ClearColourTakesAnArrayOrFourNumbers) {
    evaluate("System.set_clear_color([1.0, 0.5, 0.25, 1.0]); return null;");
    EXPECT_EQ(device.clear_color(), (std::array<float, 4>{1.0f, 0.5f, 0.25f, 1.0f}));
    evaluate("System.set_clear_color(0, 1, 0, 0.5); return null;");
    EXPECT_EQ(device.clear_color(), (std::array<float, 4>{0.0f, 1.0f, 0.0f, 0.5f}));
}

TEST_F(SystemRenderScriptTest, AWrongClearColourRaisesTheVectorMessagesAndChangesNothing) {
    EXPECT_EQ(error_of("System.set_clear_color([1, 2, 3])"), "Vector array doesn't have right size.");
    EXPECT_EQ(error_of("System.set_clear_color([1, 2, \"3\", 4])"), "Vector array element is not numeric.");
    EXPECT_EQ(error_of("System.set_clear_color(1, 2, 3, \"4\")"), "Expecting numeric.");
    EXPECT_EQ(device.clear_color(), (std::array<float, 4>{0.0f, 0.0f, 0.0f, 1.0f}));
}

TEST_F(SystemRenderScriptTest, ClearScreenFlagFollowsTheScript) {
    evaluate("System.set_clear_screen(false); return null;");
    EXPECT_FALSE(device.clear_screen());
    evaluate("System.set_clear_screen(true); return null;");
    EXPECT_TRUE(device.clear_screen());
}

TEST_F(SystemRenderScriptTest, TriangleCountStartsAtZero) {
    EXPECT_EQ(evaluate_integer("return System.get_rendered_triangle_count();"), 0);
}

}  // namespace
}  // namespace me
