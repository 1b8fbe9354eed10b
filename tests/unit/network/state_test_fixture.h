#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "binding_test_vm.h"
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
