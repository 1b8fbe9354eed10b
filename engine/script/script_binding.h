#pragma once

#include <squirrel.h>

#include <span>

#include "core/key_codes.h"

namespace me {

// A table in the root table (such as System), created at VM set-up before
// any binding unit adds to it.
class ScriptNamespace {
public:
    explicit ScriptNamespace(const char* name);
    ScriptNamespace(const ScriptNamespace&) = delete;
    ScriptNamespace& operator=(const ScriptNamespace&) = delete;

    static ScriptNamespace* first();
    ScriptNamespace* next() const { return m_next; }
    const char* name() const { return m_name; }

    // Pushes the namespace table and returns its absolute stack index.
    SQInteger push(HSQUIRRELVM vm) const;

private:
    const char* m_name;
    ScriptNamespace* m_next;
};

// Static record of code that adds classes, functions or constants to a new VM.
class ScriptBindingUnit {
public:
    using BindFunction = void (*)(HSQUIRRELVM vm);

    explicit ScriptBindingUnit(BindFunction bind);
    ScriptBindingUnit(const ScriptBindingUnit&) = delete;
    ScriptBindingUnit& operator=(const ScriptBindingUnit&) = delete;

    static ScriptBindingUnit* first();
    ScriptBindingUnit* next() const { return m_next; }
    void bind(HSQUIRRELVM vm) const { m_bind(vm); }

private:
    BindFunction m_bind;
    ScriptBindingUnit* m_next;
};

// Creates every namespace, binds every declared native class, then runs
// every binding unit.
void run_script_bindings(HSQUIRRELVM vm);

// Adds a native function as a new slot of the container at container_index.
// A parameter count of 0 and no mask mean no parameter check. A failure of
// the VM's binding interface is fatal.
void bind_function(HSQUIRRELVM vm, SQInteger container_index, const char* name, SQFUNCTION function,
                   SQInteger parameter_count = 0, const char* type_mask = nullptr);

// Adds each constant both as a compile-time constant and as a root-table slot,
// so NAME and ::NAME both work.
void bind_constants(HSQUIRRELVM vm, std::span<const ScriptConstant> constants);

}  // namespace me
