#include "scene/scene_object_text_script.h"

#include <string_view>

#include "scene/scene_object.h"
#include "scene/scene_object_arguments.h"
#include "scene/scene_text.h"
#include "resources/font.h"
#include "script/script_push.h"

namespace me::scene_object_text_methods {

SQInteger set_font(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    ResourceRef<Font> font;
    if (!read_resource(arguments, vm, 2, resource_types::font, font))
        return arguments.fail();
    object->text().set_font(std::move(font));
    return 0;
}

// Script strings may hold zero bytes; the whole string is shown.
SQInteger set_text(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const SQChar* text = nullptr;
    if (!arguments.string(2, text))
        return arguments.fail();
    SQInteger length = 0;
    sq_getstringandsize(vm, 2, &text, &length);
    object->show_text(utf8_to_utf16(std::string_view(text, static_cast<size_t>(length))));
    return 0;
}

SQInteger set_text_align(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const SQChar* code = nullptr;
    if (!arguments.string(2, code))
        return arguments.fail();
    object->text().set_alignment(text_alignment_from_script(code));
    return 0;
}

SQInteger get_text_size(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const Vec2 size = object->text_size();
    push_float_array(vm, {size.x, size.y});
    return 1;
}

}  // namespace me::scene_object_text_methods
