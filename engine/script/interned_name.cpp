#include "script/interned_name.h"

#include "core/log.h"

namespace me {

namespace {

constinit InternedName* g_first_interned_name = nullptr;
const ScriptObject g_null_name;

}  // namespace

NameTable* g_name_table = nullptr;

InternedName::InternedName(const char* name, int slot) : m_name(name), m_slot(slot), m_next(g_first_interned_name) {
    g_first_interned_name = this;
}

InternedName* InternedName::first() { return g_first_interned_name; }

bool NameTable::intern_all(HSQUIRRELVM vm) {
    sq_newtable(vm);
    m_table = ScriptObject(vm, -1);
    sq_pop(vm, 1);
    for (InternedName* name = InternedName::first(); name != nullptr; name = name->next()) {
        if (!intern(vm, *name))
            return false;
    }
    return true;
}

bool NameTable::intern(HSQUIRRELVM vm, InternedName& name) {
    const int slot = name.slot();
    if (slot < 0 || slot >= kSlotCount || !m_names[static_cast<size_t>(slot)].is_null()) {
        log_error(format_message("Script name '%1' has an unusable slot %2.", name.name(), slot));
        return false;
    }
    const SQInteger top = sq_gettop(vm);
    m_table.push(vm);
    sq_pushstring(vm, name.name(), -1);
    m_names[static_cast<size_t>(slot)] = ScriptObject(vm, -1);
    sq_pushinteger(vm, slot);
    sq_rawset(vm, -3);
    sq_settop(vm, top);
    name.set_index(slot);
    return true;
}

const ScriptObject& NameTable::get(int index) const {
    if (index < 0 || index >= kSlotCount)
        return g_null_name;
    return m_names[static_cast<size_t>(index)];
}

void NameTable::push(HSQUIRRELVM vm, const InternedName& name) const { get(name.index()).push(vm); }

}  // namespace me
