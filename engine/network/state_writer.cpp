#include "network/state_writer.h"

#include <cmath>
#include <limits>

#include "core/log_format.h"
#include "network/state_failure.h"
#include "network/state_object.h"

namespace me {

namespace {

struct IntegerRange {
    int64_t min;
    int64_t max;
    const char* name;
};

IntegerRange range_of(MemberType type) {
    switch (type) {
    case MemberType::Uint8:
        return {0, 255, "UINT8"};
    case MemberType::Uint16:
        return {0, 65535, "UINT16"};
    case MemberType::Sint8:
        return {-128, 127, "SINT8"};
    case MemberType::Sint16:
        return {-32768, 32767, "SINT16"};
    case MemberType::Uint32:
        // Any 32-bit integer is taken as its two's-complement bits.
        return {std::numeric_limits<int32_t>::min(), std::numeric_limits<uint32_t>::max(), "UINT32"};
    case MemberType::Fixed:
        return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), "FIXED"};
    default:
        return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max(), "SINT32"};
    }
}

// A native closure or nested call may have left anything above top.
struct StackGuard {
    HSQUIRRELVM vm;
    SQInteger top;
    explicit StackGuard(HSQUIRRELVM v) : vm(v), top(sq_gettop(v)) {}
    ~StackGuard() { sq_settop(vm, top); }
};

}  // namespace

const char* script_type_name(SQObjectType type) {
    switch (type) {
    case OT_NULL: return "null";
    case OT_INTEGER: return "integer";
    case OT_FLOAT: return "float";
    case OT_BOOL: return "bool";
    case OT_STRING: return "string";
    case OT_TABLE: return "table";
    case OT_ARRAY: return "array";
    case OT_USERDATA: return "userdata";
    case OT_CLOSURE: return "function";
    case OT_NATIVECLOSURE: return "function";
    case OT_GENERATOR: return "generator";
    case OT_USERPOINTER: return "userpointer";
    case OT_THREAD: return "thread";
    case OT_CLASS: return "class";
    case OT_INSTANCE: return "instance";
    case OT_WEAKREF: return "weakref";
    default: return "unknown";
    }
}

std::string StateWriter::Place::what() const {
    if (element < 0)
        return member.name;
    return format_message("%1[%2]", member.name, element);
}

StateWriter::StateWriter(HSQUIRRELVM vm, StateBuffer& buffer, std::span<StateObject* const> objects)
    : m_vm(vm), m_buffer(buffer), m_objects(objects) {
    m_strings.emplace_back();
}

void StateWriter::write_object(const StateObject& object, const StateClassInfo& info) {
    m_buffer.write_u16(info.index);
    object.save_native_state(m_buffer);
    if (info.members.empty())
        return;
    StackGuard guard(m_vm);
    const_cast<StateObject&>(object).ownership().push_instance(m_vm);
    const SQInteger instance = sq_gettop(m_vm);
    for (const StateMemberInfo& member : info.members)
        write_member(instance, member, info);
}

void StateWriter::write_member(SQInteger instance, const StateMemberInfo& member, const StateClassInfo& info) {
    if (SQ_FAILED(sq_getbyhandle(m_vm, instance, &member.handle)))
        fail_state(format_message("Failed to get member %1 of class %2", member.name, info.name));
    const SQInteger value = sq_gettop(m_vm);
    const Place place{member, info, -1};
    if (member.nullable) {
        const bool is_null = sq_gettype(m_vm, value) == OT_NULL;
        m_buffer.write_u8(is_null ? 0 : 1);
        if (!is_null)
            write_value(member.type, value, place);
    } else {
        write_value(member.type, value, place);
    }
    sq_settop(m_vm, instance);
}

void StateWriter::write_value(MemberType type, SQInteger value_index, const Place& place) {
    if (is_integer_type(type))
        return write_integer(type, value_index, place);
    switch (type) {
    case MemberType::Bool: {
        HSQOBJECT object;
        sq_getstackobj(m_vm, value_index, &object);
        if (object._type != OT_BOOL)
            fail_state(format_message("Failed to get boolean %1 of class %2", place.what(), place.info.name));
        m_buffer.write_u8(sq_objtobool(&object) != SQFalse ? 1 : 0);
        return;
    }
    case MemberType::String:
        return write_string(value_index, place);
    case MemberType::Ref:
        return write_ref(value_index, place);
    case MemberType::WeakRef:
        return write_weakref(value_index, place);
    default:
        if (is_array_type(type) && place.element < 0)
            return write_array(type, value_index, place);
        fail_state(format_message("Unsupported serializable type %1", static_cast<int>(type)));
    }
}

void StateWriter::write_integer(MemberType type, SQInteger value_index, const Place& place) {
    // Read straight from the handle: this runs for most members of every save.
    HSQOBJECT object;
    sq_getstackobj(m_vm, value_index, &object);
    int64_t value = 0;
    if (object._type == OT_INTEGER) {
        value = sq_objtointeger(&object);
    } else if (object._type == OT_FLOAT) {
        const double truncated = std::trunc(static_cast<double>(sq_objtofloat(&object)));
        // Beyond every range; kept finite so that the conversion is defined.
        value = std::isfinite(truncated) && std::fabs(truncated) < 1e18 ? static_cast<int64_t>(truncated)
                                                                        : std::numeric_limits<int64_t>::max();
    } else {
        fail_state(format_message("Failed to get integer %1 of class %2", place.what(), place.info.name));
    }
    const IntegerRange range = range_of(type);
    if (value < range.min || value > range.max)
        fail_state(format_message("Value %1 of integer %2 of class %3 is out of %4 range", value, place.what(),
                                  place.info.name, range.name));
    switch (scalar_size(type)) {
    case 1:
        m_buffer.write_u8(static_cast<uint8_t>(value));
        break;
    case 2:
        m_buffer.write_u16(static_cast<uint16_t>(value));
        break;
    default:
        m_buffer.write_u32(static_cast<uint32_t>(value));
        break;
    }
}

void StateWriter::write_string(SQInteger value_index, const Place& place) {
    const SQObjectType kind = sq_gettype(m_vm, value_index);
    if (kind == OT_NULL) {
        m_buffer.write_compact_length(0);
        return;
    }
    const SQChar* text = nullptr;
    SQInteger size = 0;
    if (kind != OT_STRING || SQ_FAILED(sq_getstringandsize(m_vm, value_index, &text, &size)))
        fail_state(format_message("Value of %1 in class %2 is neither string nor null", place.what(), place.info.name));
    const std::string_view view(text, static_cast<size_t>(size));
    const auto found = m_string_indices.find(view);
    if (found != m_string_indices.end()) {
        m_buffer.write_compact_length(found->second);
        return;
    }
    const auto index = static_cast<uint32_t>(m_strings.size());
    if (!m_buffer.write_compact_length(index))
        fail_state("Too many strings in a single state save!");
    if (!m_buffer.write_string(view))
        fail_state(format_message("Failed to write string %1 of class %2, invalid value %3", place.what(),
                                  place.info.name, view.substr(0, 64)));
    m_strings.emplace_back(view);
    m_string_indices.emplace(m_strings.back(), index);
}

void StateWriter::write_ref(SQInteger value_index, const Place& place) {
    const SQObjectType kind = sq_gettype(m_vm, value_index);
    if (kind == OT_NULL) {
        m_buffer.write_ref(nullptr);
        return;
    }
    if (kind != OT_INSTANCE)
        fail_state(format_message("Type of %1 of class %2 is %3, not instance", place.what(), place.info.name,
                                  script_type_name(kind)));
    SQUserPointer pointer = nullptr;
    const bool tagged =
        SQ_SUCCEEDED(sq_getinstanceup(m_vm, value_index, &pointer, StateObject::kClassRecord.type_tag()));
    auto* root = static_cast<GameObject*>(pointer);
    if (!tagged || root == nullptr || !root->class_record().is_kind_of(StateObject::kClassRecord))
        fail_state(format_message("Can't find object referenced by %1 of class %2", place.what(), place.info.name));
    const auto* object = static_cast<const StateObject*>(root);
    // An object that was destroyed or never registered has no index to stand for it.
    if (!object->is_registered() || object->object_index() >= m_objects.size() ||
        m_objects[object->object_index()] != object)
        fail_state(format_message("Can't find object referenced by %1 of class %2", place.what(), place.info.name));
    m_buffer.write_ref(object);
}

void StateWriter::write_weakref(SQInteger value_index, const Place& place) {
    const SQObjectType kind = sq_gettype(m_vm, value_index);
    if (kind == OT_NULL) {
        m_buffer.write_ref(nullptr);
        return;
    }
    if (kind != OT_WEAKREF)
        fail_state(format_message("Type of %1 of class %2 is %3, not weakref", place.what(), place.info.name,
                                  script_type_name(kind)));
    if (SQ_FAILED(sq_getweakrefval(m_vm, value_index)))
        fail_state(format_message("Failed to derefence weakref %1 of class %2", place.what(), place.info.name));
    write_ref(sq_gettop(m_vm), place);
    sq_pop(m_vm, 1);
}

void StateWriter::write_array(MemberType type, SQInteger value_index, const Place& place) {
    const SQObjectType kind = sq_gettype(m_vm, value_index);
    if (kind != OT_ARRAY)
        fail_state(format_message("Tried to save member %1 of class %2 as an array, but its type is %3",
                                  place.member.name, place.info.name, script_type_name(kind)));
    const SQInteger size = sq_getsize(m_vm, value_index);
    if (size < 0 || size > 65535)
        fail_state(format_message("Invalid size %1 of array %2 of class %3", size, place.member.name, place.info.name));
    m_buffer.write_u16(static_cast<uint16_t>(size));
    const MemberType element = element_type(type);
    for (SQInteger i = 0; i < size; ++i) {
        sq_pushinteger(m_vm, i);
        if (SQ_FAILED(sq_rawget(m_vm, value_index)))
            fail_state(format_message("Failed to read array %1 of class %2 at index %3", place.member.name,
                                      place.info.name, i));
        write_value(element, sq_gettop(m_vm), Place{place.member, place.info, i});
        sq_pop(m_vm, 1);
    }
}

}  // namespace me
