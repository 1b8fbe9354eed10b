#include "world/native_state_io.h"

#include "core/log.h"
#include "core/log_format.h"
#include "network/state_buffer.h"
#include "network/state_dump_writer.h"
#include "network/state_manager.h"
#include "network/state_object.h"
#include "network/state_transcript.h"

namespace me {

NativeStateIo NativeStateIo::reader(StateBuffer& buffer, std::span<StateObject* const> objects) {
    NativeStateIo io(Mode::Read, &buffer, nullptr);
    io.m_objects = objects;
    io.m_object_count = static_cast<uint32_t>(objects.size());
    return io;
}

NativeStateIo NativeStateIo::skipper(StateBuffer& buffer, uint32_t object_count, const StateTranscript* transcript) {
    NativeStateIo io(Mode::Skip, &buffer, nullptr);
    io.m_object_count = object_count;
    io.m_transcript = transcript;
    return io;
}

StateDumpWriter* NativeStateIo::transcript_dump() const {
    return m_transcript != nullptr ? &m_transcript->dump() : nullptr;
}

bool NativeStateIo::ok() const { return !m_refused && (m_buffer == nullptr || !m_buffer->has_error()); }

void NativeStateIo::refuse(const std::string& warning) {
    if (!m_refused && m_mode == Mode::Read)
        log_warning(warning);
    m_refused = true;
}

void NativeStateIo::fixed(const char* name, Fixed& value) {
    switch (m_mode) {
    case Mode::Write:
        m_buffer->write_u32(static_cast<uint32_t>(value));
        return;
    case Mode::Dump:
        m_dump->fixed_value(name, static_cast<uint32_t>(value));
        return;
    default:
        value = static_cast<Fixed>(m_buffer->read_u32());
        if (StateDumpWriter* dump = transcript_dump())
            dump->fixed_value(name, static_cast<uint32_t>(value));
        return;
    }
}

void NativeStateIo::u8(const char* name, uint8_t& value) {
    switch (m_mode) {
    case Mode::Write:
        m_buffer->write_u8(value);
        return;
    case Mode::Dump:
        m_dump->unsigned_value(name, value);
        return;
    default:
        value = m_buffer->read_u8();
        if (StateDumpWriter* dump = transcript_dump())
            dump->unsigned_value(name, value);
        return;
    }
}

void NativeStateIo::u16(const char* name, uint16_t& value) {
    switch (m_mode) {
    case Mode::Write:
        m_buffer->write_u16(value);
        return;
    case Mode::Dump:
        m_dump->unsigned_value(name, value);
        return;
    default:
        value = m_buffer->read_u16();
        if (StateDumpWriter* dump = transcript_dump())
            dump->unsigned_value(name, value);
        return;
    }
}

void NativeStateIo::u32(const char* name, uint32_t& value) {
    switch (m_mode) {
    case Mode::Write:
        m_buffer->write_u32(value);
        return;
    case Mode::Dump:
        m_dump->unsigned_value(name, value);
        return;
    default:
        value = m_buffer->read_u32();
        if (StateDumpWriter* dump = transcript_dump())
            dump->unsigned_value(name, value);
        return;
    }
}

void NativeStateIo::boolean(const char* name, bool& value) {
    uint8_t byte = value ? 1 : 0;
    u8(name, byte);
    if (is_reading())
        value = byte != 0;
}

void NativeStateIo::string(const char* name, std::string& value) {
    switch (m_mode) {
    case Mode::Write:
        // Names of clips and sprites are far below the length limit; one
        // that is not is written empty rather than left out, which would
        // shift every later member.
        if (!m_buffer->write_string(value))
            m_buffer->write_string("");
        return;
    case Mode::Dump:
        m_dump->value(name, value);
        return;
    default:
        if (!m_buffer->read_string(value))
            m_buffer->set_error();
        else if (StateDumpWriter* dump = transcript_dump())
            dump->value(name, value);
        return;
    }
}

void NativeStateIo::ref(const char* name, StateObject*& object, const ClassRecord& expected) {
    switch (m_mode) {
    case Mode::Write:
        m_buffer->write_ref(object);
        return;
    case Mode::Dump:
        if (object == nullptr)
            m_dump->null_value(name);
        else
            m_dump->value(name, ref_text(object));
        return;
    default:
        if (m_mode == Mode::Read)
            read_ref(object, expected);
        else if (const std::string text = skip_ref(object); m_transcript != nullptr)
            m_transcript->dump().value(name, text);
        return;
    }
}

void NativeStateIo::begin_list(const char* name, uint16_t& size) {
    switch (m_mode) {
    case Mode::Write:
        m_buffer->write_u16(size);
        return;
    case Mode::Dump:
        m_dump->begin_array(name, size);
        return;
    default:
        size = m_buffer->read_u16();
        if (StateDumpWriter* dump = transcript_dump())
            dump->begin_array(name, size);
        return;
    }
}

void NativeStateIo::list_ref(StateObject*& object, const ClassRecord& expected) {
    switch (m_mode) {
    case Mode::Write:
        m_buffer->write_ref(object);
        return;
    case Mode::Dump:
        m_dump->element(object == nullptr ? std::string("null") : ref_text(object));
        return;
    default:
        if (m_mode == Mode::Read)
            read_ref(object, expected);
        else if (const std::string text = skip_ref(object); m_transcript != nullptr)
            m_transcript->dump().element(text);
        return;
    }
}

void NativeStateIo::end_list() {
    if (m_mode == Mode::Dump)
        m_dump->end_array();
    else if (StateDumpWriter* dump = transcript_dump())
        dump->end_array();
}

std::string NativeStateIo::skip_ref(StateObject*& object) {
    object = nullptr;
    const uint16_t index = m_buffer->read_u16();
    if (index > m_object_count)
        m_refused = true;
    return m_transcript != nullptr ? m_transcript->ref_text(index) : std::string();
}

void NativeStateIo::read_ref(StateObject*& object, const ClassRecord& expected) {
    object = nullptr;
    if (!m_buffer->read_ref(m_objects, object)) {
        m_refused = true;
        return;
    }
    if (object != nullptr && !object->class_record().is_kind_of(expected)) {
        refuse(format_message("Read reference to type %1, expected type %2", object->class_record().name,
                              expected.name));
        object = nullptr;
    }
}

std::string NativeStateIo::ref_text(const StateObject* object) {
    const char* class_name = object->class_record().name;
    if (g_state_manager != nullptr && object->is_registered())
        return StateDumpWriter::ref_text(g_state_manager->class_info(object->class_index()).name,
                                         object->object_index());
    return StateDumpWriter::ref_text(class_name, object->object_index());
}

}  // namespace me
