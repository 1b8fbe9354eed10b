#pragma once

#include <squirrel.h>

namespace me::scene_object_text_methods {

// The text methods of the SceneObject script class that need more than a
// plain setter.
SQInteger set_font(HSQUIRRELVM vm);
SQInteger set_text(HSQUIRRELVM vm);
SQInteger set_text_align(HSQUIRRELVM vm);
SQInteger get_text_size(HSQUIRRELVM vm);

}  // namespace me::scene_object_text_methods
