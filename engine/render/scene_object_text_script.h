#pragma once

#include <squirrel.h>

namespace me::scene_object_text_methods {

// The text methods of the SceneObject script class.
SQInteger set_font(HSQUIRRELVM vm);
SQInteger set_text(HSQUIRRELVM vm);
SQInteger set_text_width(HSQUIRRELVM vm);
SQInteger set_font_scale(HSQUIRRELVM vm);
SQInteger set_text_align(HSQUIRRELVM vm);
SQInteger get_text_size(HSQUIRRELVM vm);

}  // namespace me::scene_object_text_methods
