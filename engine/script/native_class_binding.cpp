#include "script/native_class_binding.h"

namespace me {

namespace {

constinit NativeClassBinding* g_first_class_binding = nullptr;

const NativeClassBinding* declared_binding(const ClassRecord* record) {
    for (const NativeClassBinding* binding = NativeClassBinding::first(); binding != nullptr;
         binding = binding->next())
        if (&binding->record() == record)
            return binding;
    return nullptr;
}

const NativeClassBinding* nearest_declared_ancestor(const ClassRecord& record) {
    for (const ClassRecord* ancestor = record.base; ancestor != nullptr; ancestor = ancestor->base)
        if (const NativeClassBinding* binding = declared_binding(ancestor))
            return binding;
    return nullptr;
}

// Pushes the root table's slot of that name, or nothing when it is absent.
bool push_root_slot(HSQUIRRELVM vm, SQInteger root, const char* name) {
    sq_pushstring(vm, name, -1);
    return SQ_SUCCEEDED(sq_rawget(vm, root));
}

void bind_declared(HSQUIRRELVM vm, SQInteger root, const NativeClassBinding& binding) {
    if (push_root_slot(vm, root, binding.record().name)) {
        sq_pop(vm, 1);
        return;
    }
    const NativeClassBinding* ancestor = nearest_declared_ancestor(binding.record());
    HSQOBJECT base;
    sq_resetobject(&base);
    if (ancestor != nullptr) {
        bind_declared(vm, root, *ancestor);
        if (!push_root_slot(vm, root, ancestor->record().name))
            fail_binding_call("sq_get( v, top + 1 )");
        sq_getstackobj(vm, -1, &base);
    }
    HSQOBJECT bound =
        bind_class(vm, root, binding.record(), ancestor != nullptr ? &base : nullptr, 0, binding.methods());
    sq_release(vm, &bound);
    if (ancestor != nullptr)
        sq_pop(vm, 1);
}

}  // namespace

NativeClassBinding::NativeClassBinding(const ClassRecord& record, std::span<const MethodBinding> methods)
    : m_record(record), m_methods(methods), m_next(g_first_class_binding) {
    g_first_class_binding = this;
}

NativeClassBinding* NativeClassBinding::first() { return g_first_class_binding; }

void bind_native_classes(HSQUIRRELVM vm) {
    const SQInteger top = sq_gettop(vm);
    sq_pushroottable(vm);
    for (const NativeClassBinding* binding = NativeClassBinding::first(); binding != nullptr; binding = binding->next())
        bind_declared(vm, top + 1, *binding);
    sq_settop(vm, top);
}

}  // namespace me
