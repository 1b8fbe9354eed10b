#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "core/cvar_registry.h"
#include "core/log.h"

namespace me::test {

// Every test runs in a fresh temporary directory that is also its current
// directory and its HOME, with its own configuration registry (defaults
// registered) and a log file it can read back. Nothing outside the
// temporary directory is touched; everything is restored afterwards.
class SpineTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillmoor-spine-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        m_previous_directory = std::filesystem::current_path();
        std::filesystem::current_path(root);
        save_env("HOME", m_previous_home);
        save_env("XDG_DOCUMENTS_DIR", m_previous_documents);
        setenv("HOME", (root + "/home").c_str(), 1);
        unsetenv("XDG_DOCUMENTS_DIR");
        log.open_file(log_path());
        m_previous_log = g_log;
        g_log = &log;
        registry.register_defaults();
        m_previous_registry = g_cvar_registry;
        g_cvar_registry = &registry;
    }

    void TearDown() override {
        g_log = m_previous_log;
        g_cvar_registry = m_previous_registry;
        restore_env("HOME", m_previous_home);
        restore_env("XDG_DOCUMENTS_DIR", m_previous_documents);
        std::filesystem::current_path(m_previous_directory);
        std::filesystem::remove_all(root);
    }

    std::string log_path() const { return root + "/test_log.txt"; }
    std::string log_text() const { return read_file(log_path()); }
    bool logged(const std::string& line) const { return log_text().find(line + "\n") != std::string::npos; }

    static std::string read_file(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    static void write_file(const std::string& path, const std::string& bytes) {
        std::filesystem::path parent = std::filesystem::path(path).parent_path();
        if (!parent.empty())
            std::filesystem::create_directories(parent);
        std::ofstream(path, std::ios::binary) << bytes;
    }

    std::string root;
    Log log;
    CVarRegistry registry;

private:
    static void save_env(const char* name, std::optional<std::string>& saved) {
        const char* value = getenv(name);
        saved = value ? std::optional<std::string>(value) : std::nullopt;
    }

    static void restore_env(const char* name, const std::optional<std::string>& saved) {
        if (saved)
            setenv(name, saved->c_str(), 1);
        else
            unsetenv(name);
    }

    std::filesystem::path m_previous_directory;
    std::optional<std::string> m_previous_home;
    std::optional<std::string> m_previous_documents;
    Log* m_previous_log = nullptr;
    CVarRegistry* m_previous_registry = nullptr;
};

}  // namespace me::test
