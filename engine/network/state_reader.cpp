#include "network/state_reader.h"

#include "core/log.h"
#include "core/log_format.h"
#include "network/state_failure.h"
#include "network/state_object.h"

namespace me {

StateReader::StateReader(HSQUIRRELVM vm, StateBuffer& buffer, std::span<StateObject* const> objects)
    : m_vm(vm), m_buffer(buffer), m_objects(objects) {
    m_strings.emplace_back();
}

bool StateReader::read_object(StateObject& object, const StateClassInfo& info, uint32_t index) {
    const uint16_t saved_class = m_buffer.read_u16();
    if (m_buffer.has_error() || saved_class != info.index) {
        log_warning(format_message("Sync error while loading state of object %1. The object has type %2, but "
                                   "serialized stream says %3",
                                   index, info.index, saved_class));
        return false;
    }
    if (!object.load_native_state(m_buffer) || m_buffer.has_error()) {
        log_warning(format_message("Error restoring state of object %1 of type %2", index, info.name));
        return false;
    }
    if (!read_members(object, info)) {
        log_warning(format_message("Error restoring state of script object %1 of type %2", index, info.name));
        return false;
    }
    return true;
}

bool StateReader::read_members(StateObject& object, const StateClassInfo& info) {
    if (info.members.empty())
        return true;
    const SQInteger top = sq_gettop(m_vm);
    object.ownership().push_instance(m_vm);
    const SQInteger instance = sq_gettop(m_vm);
    for (const StateMemberInfo& member : info.members) {
        if (!push_member(member, info)) {
            sq_settop(m_vm, top);
            return false;
        }
        if (SQ_FAILED(sq_setbyhandle(m_vm, instance, &member.handle)))
            fail_state(format_message("Failed to set member %1 of class %2", member.name, info.name));
    }
    sq_settop(m_vm, top);
    return true;
}

bool StateReader::push_member(const StateMemberInfo& member, const StateClassInfo& info) {
    if (member.nullable) {
        const uint8_t flag = m_buffer.read_u8();
        if (m_buffer.has_error()) {
            log_warning(
                format_message("Error while reading the null flag of member %1 of class %2", member.name, info.name));
            return false;
        }
        if (flag == 0) {
            sq_pushnull(m_vm);
            return true;
        }
    }
    if (push_value(member.type, member, info))
        return true;
    log_warning(format_message("Failed to load member %1 of class %2, type %3", member.name, info.name,
                               member_type_name(member.type)));
    return false;
}

bool StateReader::push_value(MemberType type, const StateMemberInfo& member, const StateClassInfo& info) {
    if (is_integer_type(type))
        return push_integer(type);
    switch (type) {
    case MemberType::Bool: {
        const uint8_t value = m_buffer.read_u8();
        if (m_buffer.has_error()) {
            log_warning("Stream error while reading bool value");
            return false;
        }
        sq_pushbool(m_vm, value != 0 ? SQTrue : SQFalse);
        return true;
    }
    case MemberType::String:
        return push_string();
    case MemberType::Ref:
        return push_ref(false);
    case MemberType::WeakRef:
        return push_ref(true);
    default:
        return push_array(type, member, info);
    }
}

bool StateReader::push_integer(MemberType type) {
    int32_t value = 0;
    switch (type) {
    case MemberType::Uint8:
        value = m_buffer.read_u8();
        break;
    case MemberType::Sint8:
        value = static_cast<int8_t>(m_buffer.read_u8());
        break;
    case MemberType::Uint16:
        value = m_buffer.read_u16();
        break;
    case MemberType::Sint16:
        value = static_cast<int16_t>(m_buffer.read_u16());
        break;
    default:
        value = static_cast<int32_t>(m_buffer.read_u32());
        break;
    }
    if (m_buffer.has_error()) {
        log_warning("Stream error while reading integer value");
        return false;
    }
    sq_pushinteger(m_vm, value);
    return true;
}

bool StateReader::push_string() {
    const uint32_t index = m_buffer.read_compact_length();
    if (m_buffer.has_error() || index > m_strings.size()) {
        log_warning("Stream error while reading string index");
        return false;
    }
    if (index < m_strings.size()) {
        m_strings[index].push(m_vm);
        return true;
    }
    std::string text;
    if (!m_buffer.read_string(text)) {
        log_warning("Stream error while reading string data");
        return false;
    }
    sq_pushstring(m_vm, text.data(), static_cast<SQInteger>(text.size()));
    m_strings.emplace_back(m_vm, -1);
    return true;
}

bool StateReader::push_ref(bool weak) {
    StateObject* object = nullptr;
    if (!m_buffer.read_ref(m_objects, object))
        return false;
    if (object == nullptr || !object->ownership().is_bound()) {
        sq_pushnull(m_vm);
        return true;
    }
    object->ownership().push_instance(m_vm);
    if (weak) {
        sq_weakref(m_vm, -1);
        sq_remove(m_vm, -2);
    }
    return true;
}

bool StateReader::push_array(MemberType type, const StateMemberInfo& member, const StateClassInfo& info) {
    const uint16_t size = m_buffer.read_u16();
    if (m_buffer.has_error()) {
        log_warning("Stream error while reading array size");
        return false;
    }
    sq_newarray(m_vm, size);
    const SQInteger array = sq_gettop(m_vm);
    const MemberType element = element_type(type);
    for (uint16_t i = 0; i < size; ++i) {
        if (!push_value(element, member, info)) {
            log_warning(format_message("Failed to load element %1 of array %2 of class %3", i, member.name, info.name));
            sq_settop(m_vm, array - 1);
            return false;
        }
        sq_pushinteger(m_vm, i);
        sq_push(m_vm, -2);
        sq_remove(m_vm, -3);
        if (SQ_FAILED(sq_set(m_vm, array))) {
            log_warning(format_message("Failed to set element %1 of array %2 of class %3", i, member.name, info.name));
            sq_settop(m_vm, array - 1);
            return false;
        }
    }
    return true;
}

}  // namespace me
