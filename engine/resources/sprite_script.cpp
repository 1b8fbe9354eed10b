#include "resources/sprite.h"

#include "resources/sprite_script.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"

namespace me {

namespace {

// Scripts receive sprites from the engine and hand them back; they never
// build one. Without a constructor of its own the class would inherit
// ResourceObject's, which binds a plain resource to a Sprite instance.
SQInteger refuse_construction(HSQUIRRELVM vm) {
    return sq_throwerror(vm, "Sprite can't be constructed by scripts, sprites are loaded by name.");
}

constexpr MethodBinding kMethods[] = {
    {"constructor", refuse_construction, 1, "x"},
};

const NativeClassBinding g_sprite_binding(Sprite::kClassRecord, kMethods);

}  // namespace

void push_sprite(HSQUIRRELVM vm, Sprite* sprite) { push_object<EngineObject>(vm, sprite); }

Sprite* sprite_at(HSQUIRRELVM vm, SQInteger idx) {
    SQUserPointer pointer = nullptr;
    if (sq_gettype(vm, idx) != OT_INSTANCE ||
        SQ_FAILED(sq_getinstanceup(vm, idx, &pointer, Sprite::kClassRecord.type_tag())) || pointer == nullptr)
        return nullptr;
    EngineObject* object = static_cast<EngineObject*>(pointer);
    return object->is_kind_of(Sprite::kClassRecord) ? static_cast<Sprite*>(object) : nullptr;
}

}  // namespace me
