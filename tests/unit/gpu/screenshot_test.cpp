#include <gtest/gtest.h>

#include <filesystem>

#include "binding_test_vm.h"
#include "core/paths.h"
#include "gpu/screenshot.h"

namespace me {
namespace {

TEST(ScreenshotPathTest, NamesStayInsideTheSaveDirectory) {
    for (const char* name : {"", "..", "../escape.png", "shots/../../escape.png", "/etc/shot.png", "\\shot.png",
                             "user:shot.png", "C:shot.png"})
        EXPECT_FALSE(screenshot_path(name)) << name;
    EXPECT_EQ(screenshot_path("shot.png"), paths::save_file("shot.png"));
    EXPECT_EQ(screenshot_path("shots/first.png"), paths::save_file("shots/first.png"));
    EXPECT_EQ(screenshot_path("shot..png"), std::nullopt) << "any \"..\" is refused, to keep the rule simple";
}

// Without a window the script function answers false and says why.
class ScreenshotScriptTest : public test::BindingTest {};

TEST_F(ScreenshotScriptTest, RefusalsAnswerFalseWithTheReason) {
    EXPECT_EQ(error_of("System.save_screenshot(3)"), "Expecting string.");
    EXPECT_FALSE(evaluate_bool("return System.save_screenshot(\"../up.png\");"));
    EXPECT_TRUE(logged("error: Can't save screenshot '../up.png': invalid file name."));
    EXPECT_FALSE(evaluate_bool("return System.save_screenshot(\"shot.png\");"));
    EXPECT_TRUE(logged("error: Can't save screenshot 'shot.png': no OpenGL context."));
    EXPECT_FALSE(std::filesystem::exists(paths::save_file("shot.png")));
}

}  // namespace
}  // namespace me
