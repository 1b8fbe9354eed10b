#include <string_view>

#include "clip/clip_script_arguments.h"
#include "clip/clip_text_object.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"

namespace me::clip {

namespace {

#define CLIP_TEXT_OBJECT_THIS()         \
    NativeArguments arguments(vm);      \
    ClipTextObject* object = nullptr;   \
    if (!arguments.instance(1, object)) \
        return arguments.fail()

SQInteger set_font(HSQUIRRELVM vm) {
    CLIP_TEXT_OBJECT_THIS();
    ResourceRef<Font> font;
    if (!read_font_or_null(arguments, vm, 2, font))
        return arguments.fail();
    object->set_font(std::move(font));
    return 0;
}

SQInteger set_text_alignment(HSQUIRRELVM vm) {
    CLIP_TEXT_OBJECT_THIS();
    SQInteger alignment = 0;
    if (!arguments.integer(2, alignment))
        return arguments.fail();
    object->set_text_alignment(static_cast<int32_t>(alignment));
    return 0;
}

SQInteger set_text(HSQUIRRELVM vm) {
    CLIP_TEXT_OBJECT_THIS();
    const SQChar* text = nullptr;
    if (!arguments.string(2, text))
        return arguments.fail();
    object->set_text(utf8_to_utf16(std::string_view(text, static_cast<size_t>(sq_getsize(vm, 2)))));
    return 0;
}

SQInteger get_text_size(HSQUIRRELVM vm) {
    CLIP_TEXT_OBJECT_THIS();
    const Vec2 size = object->text_size();
    push_float_array(vm, {size.x, size.y});
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<ClipTextObject>, 1, "x"},
    {"set_font", set_font},
    {"set_text_alignment", set_text_alignment},
    {"set_text", set_text},
    {"get_text_size", get_text_size},
};

const NativeClassBinding g_clip_text_object_binding(ClipTextObject::kClassRecord, kMethods);

}  // namespace

}  // namespace me::clip
