#pragma once

#include <filesystem>
#include <string>
#include <utility>

#include "binding_test_vm.h"
#include "platform/offline_platform.h"
#include "platform/platform_services.h"

namespace me::test {

// Services on a started offline client, reachable from scripts, with the
// save directory in the test's folder.
class PlatformServicesTest : public test::BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        registry.set_text("system::save_dir", "root:save");
        ASSERT_TRUE(client.init());
        services.start(client);
        m_previous = std::exchange(g_platform_services, &services);
    }

    void TearDown() override {
        g_platform_services = m_previous;
        services.stop();
        client.shutdown();
        BindingTest::TearDown();
    }

    // What the frame loop does for the platform.
    void frame() {
        services.housekeeping();
        client.run_callbacks();
    }

    size_t times_logged(const std::string& text) const {
        const std::string log = log_text();
        size_t count = 0;
        for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1))
            ++count;
        return count;
    }

    std::string stats_file() const { return read_file("save/platform/76561197960265729/stats.txt"); }

    platform::OfflinePlatform client;
    PlatformServices services;

private:
    PlatformServices* m_previous = nullptr;
};

}  // namespace me::test
