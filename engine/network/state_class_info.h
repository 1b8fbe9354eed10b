#pragma once

#include <squirrel.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "network/state_member_type.h"
#include "script/class_record.h"
#include "script/script_object.h"

namespace me {

// One saved member of a state class. The handle reaches the member of an
// instance of exactly that class without a lookup by name.
struct StateMemberInfo {
    std::string name;
    ScriptObject key;
    HSQMEMBERHANDLE handle{};
    MemberType type = MemberType::Uint8;
    bool nullable = false;
};

// A registered state class: what its attributes declare and which members it
// saves, in the VM's enumeration order (the same on every peer).
struct StateClassInfo {
    std::string name;
    uint16_t index = 0;
    ScriptObject script_class;
    // The native class its instances are made of (the script class's tag).
    const ClassRecord* native_class = nullptr;
    bool is_static = false;
    bool world_seed = false;
    std::optional<std::string> destroy_callback;
    std::optional<std::string> post_rollback_callback;
    std::vector<StateMemberInfo> members;

    bool is_class(const HSQOBJECT& object) const {
        return object._type == OT_CLASS && script_class.handle()._unVal.pClass == object._unVal.pClass;
    }
};

// Reads the class registered under name from the root table; every failure
// is fatal, as registration is a promise the game's scripts make.
StateClassInfo read_state_class(HSQUIRRELVM vm, const std::string& name, uint16_t index);

}  // namespace me
