#include <gtest/gtest.h>

#include <string>

#include "binding_test_vm.h"
#include "core/cvar_registry.h"

namespace me {
namespace {

using SystemConfigScriptTest = test::BindingTest;

TEST_F(SystemConfigScriptTest, SaveConfigWritesTheUserConfigurationNow) {
    registry.load_user();
    const std::string path = CVarRegistry::user_config_path();
    evaluate("System.set_cvar(\"game::difficulty\", 3);");
    EXPECT_EQ(read_file(path), "") << "nothing is written before the call";
    evaluate("System.save_config();");
    EXPECT_NE(read_file(path).find("game::difficulty = \"3\""), std::string::npos) << read_file(path);
}

}  // namespace
}  // namespace me
