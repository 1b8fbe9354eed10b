#include "network/state_buffer_text.h"

#include "core/log.h"
#include "core/log_format.h"
#include "network/native_state_skipper.h"
#include "network/state_dump_writer.h"
#include "network/state_object.h"
#include "network/state_transcript.h"

namespace me {

std::optional<std::string> StateBufferText::text(const StateBuffer& saved) {
    StateBuffer buffer = saved;
    buffer.reset_read();
    m_strings.assign(1, "null");
    StateDumpWriter dump;
    std::vector<const StateClassInfo*> infos;
    if (!read_types(buffer, dump, infos)) {
        log_warning("Cannot write out a saved state: its type section does not fit the registered classes");
        return std::nullopt;
    }
    std::vector<std::string> object_classes;
    for (const StateClassInfo* info : infos)
        object_classes.push_back(info->name);
    const StateTranscript transcript(dump, std::move(object_classes));
    for (uint32_t i = 0; i < infos.size(); ++i) {
        if (!write_object(buffer, transcript, *infos[i], i)) {
            log_warning(format_message("Cannot write out a saved state: object %1 of type %2 cannot be read", i,
                                       infos[i]->name));
            return std::nullopt;
        }
    }
    if (buffer.readable() != 0) {
        log_warning(format_message("Cannot write out a saved state: %1 bytes follow its last object",
                                   buffer.readable()));
        return std::nullopt;
    }
    return dump.text();
}

bool StateBufferText::read_types(StateBuffer& buffer, StateDumpWriter& dump,
                                 std::vector<const StateClassInfo*>& object_classes) {
    const uint16_t static_count = buffer.read_u16();
    const uint16_t total = buffer.read_u16();
    if (buffer.has_error() || total < static_count)
        return false;
    dump.signed_value("static_count", static_count);
    dump.signed_value("count", total);
    while (object_classes.size() < total) {
        const uint8_t run = buffer.read_u8();
        const StateClassInfo* info = class_named_by(buffer.read_u16());
        if (buffer.has_error() || run == 0 || info == nullptr || object_classes.size() + run > total)
            return false;
        dump.unsigned_value(info->name, run);
        object_classes.insert(object_classes.end(), run, info);
    }
    return true;
}

bool StateBufferText::write_object(StateBuffer& buffer, const StateTranscript& transcript,
                                   const StateClassInfo& info, uint32_t index) {
    if (buffer.read_u16() != info.index || buffer.has_error())
        return false;
    StateDumpWriter& dump = transcript.dump();
    dump.begin_block(format_message("%1 %2", info.name, index));
    if (!write_native_members(buffer, transcript, info))
        return false;
    for (const StateMemberInfo& member : info.members)
        if (!write_member(buffer, transcript, member))
            return false;
    dump.end_block();
    return true;
}

bool StateBufferText::write_native_members(StateBuffer& buffer, const StateTranscript& transcript,
                                           const StateClassInfo& info) {
    if (info.native_class == &StateObject::kClassRecord)
        return true;
    const NativeStateSkipper* skipper =
        info.native_class != nullptr ? NativeStateSkipper::find(*info.native_class) : nullptr;
    if (skipper == nullptr) {
        log_warning(format_message("The native members of type %1 cannot be read without an object", info.name));
        return false;
    }
    return skipper->skip(buffer, transcript.object_count(), &transcript) && !buffer.has_error();
}

bool StateBufferText::write_member(StateBuffer& buffer, const StateTranscript& transcript,
                                   const StateMemberInfo& member) {
    StateDumpWriter& dump = transcript.dump();
    if (member.nullable) {
        const uint8_t flag = buffer.read_u8();
        if (buffer.has_error())
            return false;
        if (flag == 0) {
            dump.null_value(member.name);
            return true;
        }
    }
    if (!is_array_type(member.type)) {
        const std::optional<std::string> value = value_text(buffer, transcript, member.type);
        if (value)
            dump.value(member.name, *value);
        return value.has_value();
    }
    const uint16_t size = buffer.read_u16();
    if (buffer.has_error())
        return false;
    dump.begin_array(member.name, size);
    for (uint16_t i = 0; i < size; ++i) {
        const std::optional<std::string> value = value_text(buffer, transcript, element_type(member.type));
        if (!value)
            return false;
        dump.element(*value);
    }
    dump.end_array();
    return true;
}

std::optional<std::string> StateBufferText::value_text(StateBuffer& buffer, const StateTranscript& transcript,
                                                       MemberType type) {
    std::string text;
    switch (type) {
    case MemberType::Uint8:
        text = format_message("%1", buffer.read_u8());
        break;
    case MemberType::Uint16:
        text = format_message("%1", buffer.read_u16());
        break;
    case MemberType::Uint32:
        text = format_message("%1", buffer.read_u32());
        break;
    case MemberType::Sint8:
        text = format_message("%1", static_cast<int8_t>(buffer.read_u8()));
        break;
    case MemberType::Sint16:
        text = format_message("%1", static_cast<int16_t>(buffer.read_u16()));
        break;
    case MemberType::Sint32:
        text = format_message("%1", static_cast<int32_t>(buffer.read_u32()));
        break;
    case MemberType::Fixed:
        text = StateDumpWriter::fixed_text(buffer.read_u32());
        break;
    case MemberType::Bool:
        text = buffer.read_u8() != 0 ? "true" : "false";
        break;
    case MemberType::String:
        return string_text(buffer);
    default: {
        const uint16_t stored = buffer.read_u16();
        if (stored > transcript.object_count())
            return std::nullopt;
        text = transcript.ref_text(stored);
        break;
    }
    }
    if (buffer.has_error())
        return std::nullopt;
    return text;
}

std::optional<std::string> StateBufferText::string_text(StateBuffer& buffer) {
    const uint32_t index = buffer.read_compact_length();
    if (buffer.has_error() || index > m_strings.size())
        return std::nullopt;
    if (index < m_strings.size())
        return m_strings[index];
    std::string text;
    if (!buffer.read_string(text))
        return std::nullopt;
    m_strings.push_back(text);
    return text;
}

const StateClassInfo* StateBufferText::class_named_by(uint16_t index) const {
    return index < m_classes.size() ? m_classes[index].get() : nullptr;
}

}  // namespace me
