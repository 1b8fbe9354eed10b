#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "network/state_buffer.h"

namespace me {

// Writes or reads one replay: a file of tagged elements, each a finished
// state buffer (a saved state, or values the script wrote one by one).
// Misuse is a warning and a false or 0 result; the recorder is unchanged.
class ReplayRecorder {
public:
    static constexpr size_t kHeaderSize = 12;
    static constexpr size_t kElementHeaderSize = 8;

    struct Element {
        uint32_t tag = 0;
        // Null for an element a failed load never reached.
        std::unique_ptr<StateBuffer> buffer;
    };

    ReplayRecorder() = default;
    ReplayRecorder(const ReplayRecorder&) = delete;
    ReplayRecorder& operator=(const ReplayRecorder&) = delete;

    void reset();

    // Writing.
    void create(std::string_view name, uint32_t tag, uint32_t version);
    bool add_save(uint32_t tag);
    // A copy of the finished state in save slot slot, CRC included.
    bool add_save_slot(uint32_t tag, int32_t slot);
    bool create_element(uint32_t tag);
    bool write_uint8(int64_t value);
    bool write_uint16(int64_t value);
    bool write_uint32(uint32_t value);
    bool write_string(std::string_view text);
    bool finish_element();
    bool should_save() const { return m_dirty; }
    bool save();
    // The file's bytes as save writes them; an element still being written
    // is finished first.
    std::vector<uint8_t> file_bytes();

    // Start-up and shutdown: a replay being written that has unsaved changes.
    bool has_unfinished_recording() const { return !m_reading && m_dirty; }
    void write() { save(); }

    // Reading. An absolute name is used as it is; any other is a file in the
    // save directory.
    bool load(std::string_view name);
    // The same from bytes already read; name is only used in messages.
    bool load_bytes(std::span<const uint8_t> bytes, std::string_view name);
    uint32_t tag() const;
    uint32_t version() const;
    uint32_t element_count() const;
    bool open_element(int64_t index);
    uint32_t read_element_tag() const;
    bool read_uint8(uint32_t& value);
    bool read_uint16(uint32_t& value);
    bool read_uint32(uint32_t& value, const char* what = "uint32");
    bool read_string(std::string& text);
    bool copy_to_save_slot(int32_t slot);
    void close_element();

    bool is_reading() const { return m_reading; }
    const std::string& name() const { return m_name; }

private:
    // Warnings for the write operations; true when an element may be written.
    bool writable_element();
    // Warnings for the read operations; true when an element may be read.
    bool readable_element(const char* what);
    void finish_active_for_save();
    void append_state(uint32_t tag, std::unique_ptr<StateBuffer> buffer);

    std::string m_name;
    bool m_dirty = false;
    bool m_reading = true;
    uint32_t m_tag = 0;
    uint32_t m_version = 0;
    std::vector<Element> m_elements;
    Element* m_active = nullptr;
};

extern ReplayRecorder* g_replay_recorder;

}  // namespace me
