#include "network/state_buffer_check.h"

#include "core/log.h"
#include "core/log_format.h"
#include "network/native_state_skipper.h"
#include "network/state_object.h"

namespace me {

namespace {

bool saves_no_native_state(const StateClassInfo& info) { return info.native_class == &StateObject::kClassRecord; }

const NativeStateSkipper* skipper_of(const StateClassInfo& info) {
    return info.native_class != nullptr ? NativeStateSkipper::find(*info.native_class) : nullptr;
}

bool steps_over_native_state(const StateClassInfo& info) {
    return saves_no_native_state(info) || skipper_of(info) != nullptr;
}

}  // namespace

bool StateBufferCheck::check_state(StateBuffer& buffer, std::span<StateObject* const> static_objects) {
    m_string_count = 1;
    buffer.reset_read();
    std::vector<uint16_t> object_classes;
    if (!read_types(buffer, static_objects, object_classes))
        return false;
    const auto object_count = static_cast<uint32_t>(object_classes.size());
    for (uint32_t i = 0; i < object_count; ++i) {
        const StateClassInfo& info = *m_classes[object_classes[i]];
        if (!steps_over_native_state(info))
            return true;
        if (!skip_record(buffer, info, object_count)) {
            log_warning(format_message("Invalid state buffer, object %1 of type %2 cannot be read", i, info.name));
            return false;
        }
    }
    if (buffer.readable() != 0) {
        log_warning(format_message(
            "%1 bytes of unused data still remaining in state buffer after all objects have been restored",
            buffer.readable()));
        return false;
    }
    return true;
}

bool StateBufferCheck::check_first_record(StateBuffer& buffer, const StateClassInfo& world) {
    m_string_count = 1;
    if (!steps_over_native_state(world))
        return true;
    const int32_t start = buffer.read_position();
    const bool ok = skip_record(buffer, world, 1);
    buffer.set_read_position(start);
    if (!ok)
        log_warning(format_message("Invalid state buffer, the world object of type %1 cannot be read", world.name));
    return ok;
}

bool StateBufferCheck::read_types(StateBuffer& buffer, std::span<StateObject* const> static_objects,
                                  std::vector<uint16_t>& object_classes) {
    const uint16_t static_count = buffer.read_u16();
    const uint16_t total = buffer.read_u16();
    if (buffer.has_error() || total < static_count || static_count != static_objects.size()) {
        log_warning("Invalid state buffer, the object counts do not match the current world");
        return false;
    }
    object_classes.reserve(total);
    while (object_classes.size() < total) {
        const uint8_t run = buffer.read_u8();
        const uint16_t class_index = buffer.read_u16();
        if (buffer.has_error() || run == 0 || class_index >= m_classes.size() ||
            object_classes.size() + run > total) {
            log_warning("Invalid state buffer, error while reading the type section");
            return false;
        }
        const bool in_static_part = object_classes.size() < static_count;
        if (in_static_part && object_classes.size() + run > static_count) {
            log_warning("Invalid state buffer, a type run spans static and dynamic objects");
            return false;
        }
        if (!in_static_part && m_classes[class_index]->is_static) {
            log_warning(format_message("Invalid state buffer, dynamic objects of static type %1",
                                       m_classes[class_index]->name));
            return false;
        }
        for (uint8_t i = 0; i < run; ++i) {
            const size_t object = object_classes.size();
            if (in_static_part && static_objects[object]->class_index() != class_index) {
                log_warning(format_message("Invalid state buffer, static object %1 has another type", object));
                return false;
            }
            object_classes.push_back(class_index);
        }
    }
    return true;
}

bool StateBufferCheck::skip_record(StateBuffer& buffer, const StateClassInfo& info, uint32_t object_count) {
    if (buffer.read_u16() != info.index || buffer.has_error())
        return false;
    if (const NativeStateSkipper* skipper = skipper_of(info)) {
        if (!skipper->skip(buffer, object_count) || buffer.has_error())
            return false;
    }
    for (const StateMemberInfo& member : info.members) {
        if (member.nullable) {
            const uint8_t flag = buffer.read_u8();
            if (buffer.has_error())
                return false;
            if (flag == 0)
                continue;
        }
        if (!is_array_type(member.type)) {
            if (!skip_value(buffer, member.type, object_count))
                return false;
            continue;
        }
        const uint16_t size = buffer.read_u16();
        for (uint16_t i = 0; i < size && !buffer.has_error(); ++i)
            if (!skip_value(buffer, element_type(member.type), object_count))
                return false;
        if (buffer.has_error())
            return false;
    }
    return true;
}

bool StateBufferCheck::skip_value(StateBuffer& buffer, MemberType type, uint32_t object_count) {
    switch (type) {
    case MemberType::String:
        return skip_string(buffer);
    case MemberType::Ref:
    case MemberType::WeakRef:
        return buffer.read_u16() <= object_count && !buffer.has_error();
    default:
        for (int32_t i = 0; i < scalar_size(type); ++i)
            buffer.read_u8();
        return !buffer.has_error();
    }
}

bool StateBufferCheck::skip_string(StateBuffer& buffer) {
    const uint32_t index = buffer.read_compact_length();
    if (buffer.has_error() || index > m_string_count)
        return false;
    if (index < m_string_count)
        return true;
    std::string text;
    if (!buffer.read_string(text))
        return false;
    ++m_string_count;
    return true;
}

}  // namespace me
