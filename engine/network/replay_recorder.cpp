#include "network/replay_recorder.h"

#include "core/log.h"
#include "core/log_format.h"
#include "core/paths.h"
#include "core/std_file.h"
#include "network/state_manager.h"

namespace me {

ReplayRecorder* g_replay_recorder = nullptr;

namespace {

void append_le32(std::vector<uint8_t>& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        bytes.push_back(static_cast<uint8_t>(value >> shift));
}

uint32_t le32_at(std::span<const uint8_t> bytes, size_t offset) {
    return uint32_t{bytes[offset]} | (uint32_t{bytes[offset + 1]} << 8) | (uint32_t{bytes[offset + 2]} << 16) |
           (uint32_t{bytes[offset + 3]} << 24);
}

}  // namespace

void ReplayRecorder::reset() {
    m_elements.clear();
    m_active = nullptr;
    m_name.clear();
    m_tag = 0;
    m_version = 0;
    m_dirty = false;
    m_reading = true;
}

// ---------------------------------------------------------------- writing

void ReplayRecorder::create(std::string_view name, uint32_t tag, uint32_t version) {
    reset();
    m_name = name;
    m_tag = tag;
    m_version = version;
    m_reading = false;
    m_dirty = true;
}

bool ReplayRecorder::add_save(uint32_t tag) {
    if (m_reading) {
        log_warning("Tried to save state to replay while not writing a replay");
        return false;
    }
    if (g_state_manager == nullptr)
        return false;
    g_state_manager->compact_objects();
    append_state(tag, std::make_unique<StateBuffer>(g_state_manager->build_state()));
    return true;
}

bool ReplayRecorder::add_save_slot(uint32_t tag, int32_t slot) {
    if (m_reading) {
        log_warning("Tried to save state to replay while not writing a replay");
        return false;
    }
    const StateBuffer* saved = g_state_manager != nullptr ? g_state_manager->slot_buffer(slot) : nullptr;
    if (saved == nullptr || !saved->is_valid_state()) {
        log_warning(format_message("Invalid save slot index %1", slot));
        return false;
    }
    auto copy = std::make_unique<StateBuffer>(*saved);
    copy->reset_read();
    append_state(tag, std::move(copy));
    return true;
}

void ReplayRecorder::append_state(uint32_t tag, std::unique_ptr<StateBuffer> buffer) {
    // The active element lives in the list: keep pointing at it after growth.
    const std::ptrdiff_t active = m_active != nullptr ? m_active - m_elements.data() : -1;
    m_elements.push_back({tag, std::move(buffer)});
    if (active >= 0)
        m_active = &m_elements[static_cast<size_t>(active)];
    m_dirty = true;
}

bool ReplayRecorder::create_element(uint32_t tag) {
    if (m_reading) {
        log_warning("Tried to add custom replay element while not writing a replay");
        return false;
    }
    if (m_active != nullptr) {
        log_warning("Tried to create new replay element while another element is already active");
        return false;
    }
    m_elements.push_back({tag, std::make_unique<StateBuffer>()});
    m_active = &m_elements.back();
    m_dirty = true;
    return true;
}

bool ReplayRecorder::writable_element() {
    if (m_reading) {
        log_warning("Tried to write to a replay element while not writing a replay");
        return false;
    }
    if (m_active == nullptr) {
        log_warning("Tried to write to a replay element while no element is active");
        return false;
    }
    return true;
}

bool ReplayRecorder::write_uint8(int64_t value) {
    if (!writable_element())
        return false;
    if (value < 0 || value > 255) {
        log_warning(format_message("Tried to write out of range value %1 as uint8 to replay element", value));
        return false;
    }
    m_active->buffer->write_u8(static_cast<uint8_t>(value));
    m_dirty = true;
    return true;
}

bool ReplayRecorder::write_uint16(int64_t value) {
    if (!writable_element())
        return false;
    if (value < 0 || value > 65535) {
        log_warning(format_message("Tried to write out of range value %1 as uint16 to replay element", value));
        return false;
    }
    m_active->buffer->write_u16(static_cast<uint16_t>(value));
    m_dirty = true;
    return true;
}

bool ReplayRecorder::write_uint32(uint32_t value) {
    if (!writable_element())
        return false;
    m_active->buffer->write_u32(value);
    m_dirty = true;
    return true;
}

bool ReplayRecorder::write_string(std::string_view text) {
    if (!writable_element())
        return false;
    if (!m_active->buffer->write_string(text)) {
        log_warning(format_message("Tried to write a string of %1 bytes to replay element, the most is %2",
                                   text.size(), StateBuffer::kMaxCompactLength));
        return false;
    }
    m_dirty = true;
    return true;
}

bool ReplayRecorder::finish_element() {
    if (m_reading) {
        log_warning("Tried to finish a replay element while not writing a replay");
        return false;
    }
    if (m_active == nullptr) {
        log_warning("Tried to finish a replay element while no element is active");
        return false;
    }
    m_active->buffer->finish();
    m_active = nullptr;
    m_dirty = true;
    return true;
}

void ReplayRecorder::finish_active_for_save() {
    if (m_active == nullptr)
        return;
    // Written without its CRC the element, and every one after it, would
    // fail to load.
    log_warning(format_message("Replay element %1 was still being written when the replay was saved; it has been "
                               "finished",
                               m_active - m_elements.data()));
    finish_element();
}

std::vector<uint8_t> ReplayRecorder::file_bytes() {
    finish_active_for_save();
    std::vector<uint8_t> bytes;
    append_le32(bytes, m_tag);
    append_le32(bytes, m_version);
    append_le32(bytes, static_cast<uint32_t>(m_elements.size()));
    for (const Element& element : m_elements) {
        const std::span<const uint8_t> data = element.buffer->bytes();
        append_le32(bytes, element.tag);
        append_le32(bytes, static_cast<uint32_t>(data.size()));
        bytes.insert(bytes.end(), data.begin(), data.end());
    }
    return bytes;
}

bool ReplayRecorder::save() {
    if (m_reading) {
        log_warning("Tried to save replay while not writing a replay");
        return false;
    }
    if (!m_dirty)
        return true;
    const std::vector<uint8_t> bytes = file_bytes();
    const std::string path = paths::save_file(m_name);
    paths::create_directories(path);
    StdFile file;
    if (!file.open(path, StdFile::Write, false)) {
        log_warning(format_message("Failed to create replay file %1", path));
        return false;
    }
    const bool written = file.write(bytes.data(), bytes.size());
    if (!file.close() || !written) {
        log_error("Error closing file. Disk full?");
        return false;
    }
    // Written all the same, so nothing recorded is lost, but the loader
    // reads whole files only up to its limit.
    if (static_cast<int64_t>(bytes.size()) > StdFile::kMaxWholeFileSize)
        log_warning(format_message("Replay file %1 has %2 bytes, more than the %3 a replay can be loaded with", path,
                                   static_cast<int64_t>(bytes.size()), StdFile::kMaxWholeFileSize));
    m_dirty = false;
    return true;
}

// ---------------------------------------------------------------- reading

bool ReplayRecorder::load(std::string_view name) {
    reset();
    m_name = name;
    // An absolute name is a replay from anywhere, such as one named on the
    // command line; others are in the save directory.
    const std::string path = name.starts_with(paths::kSeparator) ? std::string(name) : paths::save_file(name);
    std::string bytes;
    if (!StdFile::exists(path) || !StdFile::read_whole(path, bytes)) {
        log_warning(format_message("Failed to open replay file %1", path));
        return false;
    }
    return load_bytes(std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), path);
}

bool ReplayRecorder::load_bytes(std::span<const uint8_t> bytes, std::string_view name) {
    const std::string kept_name = m_name;
    reset();
    m_name = kept_name;
    if (bytes.size() < kHeaderSize) {
        log_warning(format_message("Replay file %1 is too short for its header", name));
        return false;
    }
    m_tag = le32_at(bytes, 0);
    m_version = le32_at(bytes, 4);
    const uint32_t count = le32_at(bytes, 8);
    size_t offset = kHeaderSize;
    // Every element has a header at least, so a count the file cannot hold
    // is refused before anything is allocated for it.
    if (count > (bytes.size() - offset) / kElementHeaderSize) {
        log_warning(format_message("Replay file %1 claims %2 elements but holds only %3 bytes", name, count,
                                   bytes.size()));
        return false;
    }
    m_elements.resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (bytes.size() - offset < kElementHeaderSize) {
            log_warning(format_message("Replay file %1 ends in the header of element %2", name, i));
            return false;
        }
        m_elements[i].tag = le32_at(bytes, offset);
        const uint32_t length = le32_at(bytes, offset + 4);
        offset += kElementHeaderSize;
        if (static_cast<int32_t>(length) < 0 || length > bytes.size() - offset) {
            log_warning(format_message("Replay file %1: element %2 has length %3, %4 bytes are left", name, i,
                                       static_cast<int32_t>(length), bytes.size() - offset));
            return false;
        }
        m_elements[i].buffer = std::make_unique<StateBuffer>(bytes.subspan(offset, length));
        offset += length;
        if (!m_elements[i].buffer->verify()) {
            log_warning(format_message("Replay file %1: element %2 fails its CRC check", name, i));
            return false;
        }
    }
    return true;
}

uint32_t ReplayRecorder::tag() const {
    if (!m_reading) {
        log_warning("Tried to get replay tag while not reading a replay");
        return 0;
    }
    return m_tag;
}

uint32_t ReplayRecorder::version() const {
    if (!m_reading) {
        log_warning("Tried to get replay version while not reading a replay");
        return 0;
    }
    return m_version;
}

uint32_t ReplayRecorder::element_count() const {
    if (!m_reading) {
        log_warning("Tried to get element count while not reading a replay");
        return 0;
    }
    return static_cast<uint32_t>(m_elements.size());
}

bool ReplayRecorder::open_element(int64_t index) {
    if (!m_reading) {
        log_warning("Tried to open replay element while not reading a replay");
        return false;
    }
    if (m_active != nullptr) {
        log_warning("Tried to open replay element while another element is already active");
        return false;
    }
    if (index < 0 || static_cast<uint64_t>(index) >= m_elements.size()) {
        log_warning(format_message("Tried to get replay element at index %1 while there are %2 elements in the replay",
                                   index, m_elements.size()));
        return false;
    }
    Element& element = m_elements[static_cast<size_t>(index)];
    if (element.buffer == nullptr) {
        log_warning(
            format_message("Tried to get replay element at index %1 which has not been properly loaded", index));
        return false;
    }
    // Only the position: an element that failed its CRC keeps its error
    // flag, so that every read from it fails.
    element.buffer->set_read_position(0);
    m_active = &element;
    return true;
}

uint32_t ReplayRecorder::read_element_tag() const {
    if (!m_reading) {
        log_warning("Tried to get replay element tag while not reading a replay");
        return 0;
    }
    if (m_active == nullptr) {
        log_warning("Tried to get replay element tag while there is no element active");
        return 0;
    }
    return m_active->tag;
}

bool ReplayRecorder::readable_element(const char* what) {
    if (!m_reading) {
        log_warning(format_message("Tried to read a %1 from replay element while not reading a replay", what));
        return false;
    }
    if (m_active == nullptr) {
        log_warning(format_message("Tried to read a %1 from replay element while there is no element active", what));
        return false;
    }
    return true;
}

namespace {

bool report_read(const StateBuffer& buffer, const char* what) {
    if (!buffer.has_error())
        return true;
    log_warning(format_message("Failed to read a %1 from replay element - tried to read past the element's size?", what));
    return false;
}

// A failed read must not poison the next one on an element that loaded
// well; an element that failed its CRC stays failed.
struct ReadScope {
    StateBuffer& buffer;
    bool was_failed;
    explicit ReadScope(StateBuffer& b) : buffer(b), was_failed(b.has_error()) {}
    ~ReadScope() {
        if (!was_failed && buffer.has_error()) {
            const int32_t position = buffer.read_position();
            buffer.reset_read();
            buffer.set_read_position(position);
        }
    }
};

}  // namespace

bool ReplayRecorder::read_uint8(uint32_t& value) {
    value = 0;
    if (!readable_element("uint8"))
        return false;
    ReadScope scope(*m_active->buffer);
    const uint8_t read = m_active->buffer->read_u8();
    if (!report_read(*m_active->buffer, "uint8"))
        return false;
    value = read;
    return true;
}

bool ReplayRecorder::read_uint16(uint32_t& value) {
    value = 0;
    if (!readable_element("uint16"))
        return false;
    ReadScope scope(*m_active->buffer);
    const uint16_t read = m_active->buffer->read_u16();
    if (!report_read(*m_active->buffer, "uint16"))
        return false;
    value = read;
    return true;
}

bool ReplayRecorder::read_uint32(uint32_t& value, const char* what) {
    value = 0;
    if (!readable_element(what))
        return false;
    ReadScope scope(*m_active->buffer);
    const uint32_t read = m_active->buffer->read_u32();
    if (!report_read(*m_active->buffer, what))
        return false;
    value = read;
    return true;
}

bool ReplayRecorder::read_string(std::string& text) {
    text.clear();
    if (!readable_element("string"))
        return false;
    ReadScope scope(*m_active->buffer);
    if (!m_active->buffer->read_string(text)) {
        text.clear();
        return report_read(*m_active->buffer, "string");
    }
    return true;
}

bool ReplayRecorder::copy_to_save_slot(int32_t slot) {
    if (!m_reading) {
        log_warning("Tried to copy replay element into a save slot while not reading a replay");
        return false;
    }
    if (m_active == nullptr) {
        log_warning("Tried to copy replay element into a save slot while there is no element active");
        return false;
    }
    return g_state_manager != nullptr && g_state_manager->restore_from_blob(m_active->buffer->bytes(), slot);
}

void ReplayRecorder::close_element() {
    if (!m_reading) {
        log_warning("Tried to close replay element while not reading a replay");
        return;
    }
    if (m_active == nullptr) {
        log_warning("Tried to close replay element while there is no element active");
        return;
    }
    m_active = nullptr;
}

}  // namespace me
