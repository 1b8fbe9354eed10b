#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "binding_test_vm.h"
#include "core/paths.h"
#include "network/network_logger.h"
#include "network/replay_recorder.h"
#include "network/state_manager.h"

namespace me::test {

// A VM with every binding plus a state manager, a replay recorder and a
// network logger of the test's own, and helpers for writing worlds in script.
class StateTest : public BindingTest {
protected:
    void SetUp() override {
        BindingTest::SetUp();
        m_manager = std::make_unique<StateManager>();
        g_state_manager = m_manager.get();
        g_replay_recorder = &recorder;
        g_network_logger = &logger;
        evaluate(kHelpers);
    }

    void TearDown() override {
        // The manager goes before the VM, so that objects freed with the VM
        // find nothing to unregister from.
        m_manager.reset();
        g_state_manager = nullptr;
        g_replay_recorder = nullptr;
        g_network_logger = nullptr;
        BindingTest::TearDown();
    }

    StateManager& manager() { return *m_manager; }

    // Starts again with an empty manager; the VM and its classes stay.
    void replace_manager() {
        m_manager = std::make_unique<StateManager>();
        g_state_manager = m_manager.get();
    }

    void run(const std::string& code) { evaluate(code); }

    std::vector<uint8_t> state_bytes() {
        const StateBuffer buffer = manager().build_state();
        return std::vector<uint8_t>(buffer.bytes().begin(), buffer.bytes().end());
    }

    static std::string hex(std::span<const uint8_t> bytes) {
        static const char* digits = "0123456789abcdef";
        std::string text;
        for (uint8_t byte : bytes) {
            text += digits[byte >> 4];
            text += digits[byte & 15];
        }
        return text;
    }

    static std::vector<uint8_t> with_crc(std::vector<uint8_t> payload) {
        const uint32_t crc = state_crc(payload);
        for (int shift = 24; shift >= 0; shift -= 8)
            payload.push_back(static_cast<uint8_t>(crc >> shift));
        return payload;
    }

    // The lines Network.compare_states gives for the slots, or {"null"}.
    std::vector<std::string> state_differences(int first, int second) {
        const std::string joined = evaluate_string(
            "local d = Network.compare_states(" + std::to_string(first) + ", " + std::to_string(second) +
            "); if (d == null) return \"null\"; local s = \"\";"
            " foreach (i, l in d) s += (i > 0 ? \"\\n\" : \"\") + l; return s;");
        std::vector<std::string> lines;
        for (size_t start = 0; start <= joined.size();) {
            const size_t end = std::min(joined.find('\n', start), joined.size());
            lines.push_back(joined.substr(start, end - start));
            start = end + 1;
        }
        return lines;
    }

    // The text dump that Network.save_state with debug level 2 wrote for slot.
    std::string debug_dump_of(int slot) {
        const std::string suffix = "_" + std::to_string(slot) + ".txt";
        for (const auto& entry : std::filesystem::directory_iterator(paths::save_dir())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with("save_debug_") && name.ends_with(suffix))
                return read_file(entry.path().string());
        }
        ADD_FAILURE() << "no debug dump of slot " << slot;
        return {};
    }

    ReplayRecorder recorder;
    NetworkLogger logger;

private:
    // same(a, b): deep equality through arrays and weak references.
    static constexpr const char* kHelpers = R"(
        ::same <- function(a, b) {
            if (typeof a == "weakref") a = a.ref();
            if (typeof b == "weakref") b = b.ref();
            if (typeof a == "array") {
                if (typeof b != "array" || a.len() != b.len()) return false;
                foreach (i, x in a) if (!::same(x, b[i])) return false;
                return true;
            }
            return typeof a == typeof b && a == b;
        }
    )";

    std::unique_ptr<StateManager> m_manager;
};

}  // namespace me::test
