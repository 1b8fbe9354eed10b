#pragma once

#include <squirrel.h>

#include "core/resource_ref.h"
#include "resources/font.h"
#include "resources/sprite.h"
#include "script/native_class_arguments.h"

namespace me::clip {

// Null, or the name of a resource loaded by name (null when it does not
// load, which the registry logs); anything else is refused with "Expecting
// resource name or null.".
template <class T>
bool read_resource_or_null(NativeArguments& arguments, HSQUIRRELVM vm, SQInteger index,
                           ResourceRef<T> (*load)(const std::string&), ResourceRef<T>& resource) {
    if (!arguments.has(index))
        return arguments.refuse("Expecting resource name or null.");
    const SQObjectType type = sq_gettype(vm, index);
    if (type == OT_NULL) {
        resource.reset();
        return true;
    }
    const SQChar* name = nullptr;
    if (type != OT_STRING || SQ_FAILED(sq_getstring(vm, index, &name)))
        return arguments.refuse("Expecting resource name or null.");
    resource = load(name);
    return true;
}

inline bool read_sprite_or_null(NativeArguments& arguments, HSQUIRRELVM vm, SQInteger index,
                                ResourceRef<Sprite>& sprite) {
    return read_resource_or_null<Sprite>(arguments, vm, index, load_sprite, sprite);
}

inline bool read_font_or_null(NativeArguments& arguments, HSQUIRRELVM vm, SQInteger index,
                              ResourceRef<Font>& font) {
    return read_resource_or_null<Font>(arguments, vm, index, load_font, font);
}

}  // namespace me::clip
