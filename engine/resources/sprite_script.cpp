#include "resources/sprite_script.h"

#include <span>

#include "resources/sprite.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"

namespace me {

namespace {

// Scripts receive sprites from the engine and hand them back; they never
// build one themselves, so the class has no constructor.
const NativeClassBinding g_sprite_binding(Sprite::kClassRecord, std::span<const MethodBinding>{});

}  // namespace

void push_sprite(HSQUIRRELVM vm, Sprite* sprite) { push_object<EngineObject>(vm, sprite); }

Sprite* sprite_at(HSQUIRRELVM vm, SQInteger idx) {
    SQUserPointer pointer = nullptr;
    if (sq_gettype(vm, idx) != OT_INSTANCE ||
        SQ_FAILED(sq_getinstanceup(vm, idx, &pointer, Sprite::kClassRecord.type_tag())))
        return nullptr;
    return static_cast<Sprite*>(static_cast<EngineObject*>(pointer));
}

}  // namespace me
