#include "network/state_class_info.h"

#include "core/log_format.h"
#include "network/state_failure.h"

namespace me {

namespace {

// The root table's slot of that name pushed; false (nothing pushed) when absent.
bool push_root_value(HSQUIRRELVM vm, const std::string& name) {
    sq_pushroottable(vm);
    sq_pushstring(vm, name.c_str(), static_cast<SQInteger>(name.size()));
    if (SQ_FAILED(sq_rawget(vm, -2))) {
        sq_pop(vm, 1);
        return false;
    }
    sq_remove(vm, -2);
    return true;
}

// Looks key up in the table at table_index and pushes the value; false
// (nothing pushed) when the table lacks it.
bool push_table_value(HSQUIRRELVM vm, SQInteger table_index, const char* key) {
    sq_pushstring(vm, key, -1);
    return SQ_SUCCEEDED(sq_rawget(vm, table_index));
}

bool table_flag(HSQUIRRELVM vm, SQInteger table_index, const char* key) {
    if (!push_table_value(vm, table_index, key))
        return false;
    SQBool truthy = SQFalse;
    sq_tobool(vm, -1, &truthy);
    sq_pop(vm, 1);
    return truthy != SQFalse;
}

std::optional<std::string> table_string(HSQUIRRELVM vm, SQInteger table_index, const char* key) {
    if (!push_table_value(vm, table_index, key))
        return std::nullopt;
    const SQChar* text = nullptr;
    std::optional<std::string> value;
    if (SQ_SUCCEEDED(sq_getstring(vm, -1, &text)))
        value = text;
    sq_pop(vm, 1);
    return value;
}

void read_class_attributes(HSQUIRRELVM vm, SQInteger class_index, StateClassInfo& info) {
    sq_pushnull(vm);
    if (SQ_FAILED(sq_getattributes(vm, class_index)))
        return;
    const SQInteger attributes = sq_gettop(vm);
    if (sq_gettype(vm, attributes) == OT_TABLE) {
        info.world_seed = table_flag(vm, attributes, "world_seed");
        info.is_static = info.world_seed || table_flag(vm, attributes, "static_class");
        info.destroy_callback = table_string(vm, attributes, "fn_destroy_dynamic_objects");
        info.post_rollback_callback = table_string(vm, attributes, "fn_post_rollback");
    }
    sq_pop(vm, 1);
}

// With the member's key on top: appends the member when its attributes
// declare a type. Leaves the stack as it found it.
void read_member(HSQUIRRELVM vm, SQInteger class_index, StateClassInfo& info) {
    const SQInteger top = sq_gettop(vm);
    const SQChar* name = nullptr;
    if (SQ_FAILED(sq_getstring(vm, top, &name))) {
        sq_settop(vm, top);
        return;
    }
    sq_push(vm, top);
    if (SQ_FAILED(sq_getattributes(vm, class_index)) || sq_gettype(vm, -1) != OT_TABLE) {
        sq_settop(vm, top);
        return;
    }
    const SQInteger attributes = sq_gettop(vm);
    const std::optional<std::string> type_text = table_string(vm, attributes, "type");
    if (!type_text) {
        sq_settop(vm, top);
        return;
    }
    const std::optional<MemberType> type = parse_member_type(*type_text);
    if (!type)
        fail_state(format_message("Unknown type '%1' of %2", *type_text, name));
    StateMemberInfo member;
    member.name = name;
    member.key = ScriptObject(vm, top);
    member.type = *type;
    member.nullable = table_flag(vm, attributes, "nullable");
    sq_push(vm, top);
    if (SQ_FAILED(sq_getmemberhandle(vm, class_index, &member.handle)))
        fail_state(format_message("Failed to register class %1 as serializable state class type.", info.name));
    info.members.push_back(std::move(member));
    sq_settop(vm, top);
}

void read_members(HSQUIRRELVM vm, SQInteger class_index, StateClassInfo& info) {
    sq_pushnull(vm);
    while (SQ_SUCCEEDED(sq_next(vm, class_index))) {
        sq_pop(vm, 1);
        read_member(vm, class_index, info);
        sq_pop(vm, 1);
    }
    sq_pop(vm, 1);
}

}  // namespace

StateClassInfo read_state_class(HSQUIRRELVM vm, const std::string& name, uint16_t index) {
    const SQInteger top = sq_gettop(vm);
    if (!push_root_value(vm, name) || sq_gettype(vm, -1) != OT_CLASS)
        fail_state(format_message("Failed to register class %1 as serializable state class type.", name));
    const SQInteger class_index = sq_gettop(vm);
    StateClassInfo info;
    info.name = name;
    info.index = index;
    info.script_class = ScriptObject(vm, class_index);
    SQUserPointer tag = nullptr;
    if (SQ_SUCCEEDED(sq_gettypetag(vm, class_index, &tag)))
        info.native_class = static_cast<const ClassRecord*>(tag);
    read_class_attributes(vm, class_index, info);
    read_members(vm, class_index, info);
    sq_settop(vm, top);
    return info;
}

}  // namespace me
