#pragma once

#include <squirrel.h>

#include <array>

#include "script/script_object.h"

namespace me {

// A script name the engine calls or looks up by, declared as a static object
// next to the code that uses it. Its slot is fixed by that code; interning at
// start-up makes the script string once so that calls never build it again.
class InternedName {
public:
    InternedName(const char* name, int slot);
    InternedName(const InternedName&) = delete;
    InternedName& operator=(const InternedName&) = delete;

    static InternedName* first();
    InternedName* next() const { return m_next; }

    const char* name() const { return m_name; }
    int slot() const { return m_slot; }
    // The index in the NameTable, -1 until the names are interned.
    int index() const { return m_index; }
    void set_index(int index) { m_index = index; }

private:
    const char* m_name;
    int m_slot;
    int m_index = -1;
    InternedName* m_next;
};

// The interned script strings, by slot.
class NameTable {
public:
    static constexpr int kSlotCount = 164;

    // Interns every InternedName; false (with an error logged) when two names
    // share a slot or a slot is out of range.
    bool intern_all(HSQUIRRELVM vm);
    bool intern(HSQUIRRELVM vm, InternedName& name);
    // Null for an index outside the table or a slot never filled.
    const ScriptObject& get(int index) const;
    void push(HSQUIRRELVM vm, const InternedName& name) const;

private:
    std::array<ScriptObject, kSlotCount> m_names;
    // Keeps every interned string reachable from one script table as well.
    ScriptObject m_table;
};

extern NameTable* g_name_table;

}  // namespace me
