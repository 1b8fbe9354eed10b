#include <algorithm>
#include <array>
#include <string>
#include <string_view>

#include "clip/clip_time.h"
#include "core/log.h"
#include "core/log_format.h"
#include "resources/emitter_resource.h"
#include "resources/font.h"
#include "resources/resource_registry.h"
#include "resources/scene_text.h"
#include "resources/sprite.h"
#include "resources/texture.h"
#include "scene/scene.h"
#include "scene/scene_emitter.h"
#include "scene/scene_object.h"
#include "scene/scene_object_arguments.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"

namespace me {

// The text methods that need more than a plain setter.
namespace scene_object_text_methods {
namespace {

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

}  // namespace
}  // namespace scene_object_text_methods

namespace {

using Object = SceneObject;

template <void (SceneObject::*Set)(bool)>
SQInteger set_flag(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    bool value = false;
    if (!read_flag(arguments, vm, 2, value))
        return arguments.fail();
    (object->*Set)(value);
    return 0;
}

SQInteger set_scene(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    Scene* scene = nullptr;
    if (!arguments.instance(2, scene, true))
        return arguments.fail();
    object->set_scene(scene);
    return 0;
}

SQInteger is_enabled(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    sq_pushbool(vm, object->enabled() ? SQTrue : SQFalse);
    return 1;
}

SQInteger set_sprite(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    ResourceRef<Sprite> sprite;
    if (!read_resource(arguments, vm, 2, resource_types::sprite, sprite))
        return arguments.fail();
    object->show_sprite(std::move(sprite));
    return 0;
}

SQInteger set_texture(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    ResourceRef<Texture> texture;
    if (!read_resource(arguments, vm, 2, resource_types::texture, texture))
        return arguments.fail();
    object->show_texture(std::move(texture));
    return 0;
}

SQInteger set_emitter(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const SQChar* name = nullptr;
    if (!arguments.string(2, name))
        return arguments.fail();
    const ResourceRef<ResourceObject> loaded = load_resource(resource_types::emitter, name);
    auto* emitter = dynamic_cast<SceneEmitterResource*>(loaded.get());
    if (loaded && emitter == nullptr)
        log_error(format_message("Emitter '%1' is not emitter compatible with SceneObject.", name));
    object->show_emitter(emitter);
    return 0;
}

SQInteger set_line(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    std::array<float, 2> end{};
    if (!arguments.vector(2, end))
        return arguments.fail();
    object->show_line({end[0], end[1]});
    return 0;
}

SQInteger set_frame(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    SQInteger index = 0;
    if (!arguments.integer(2, index))
        return arguments.fail();
    object->set_frame(static_cast<int>(index));
    return 0;
}

SQInteger set_angle(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    SQFloat degrees = 0.0f;
    if (!arguments.floating(2, degrees))
        return arguments.fail();
    object->set_rotation(degrees / 360.0f);
    return 0;
}

SQInteger get_angle(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    sq_pushfloat(vm, object->rotation() * 360.0f);
    return 1;
}

// The pivot and size of the sprite shown (for an animated sprite, of all its
// frames together).
const Sprite* measured_sprite(const SceneObject& object) {
    return object.type() == SceneObject::AnimatedSprite ? object.sprite() : object.drawn_sprite();
}

SQInteger get_pivot(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const Sprite* sprite = measured_sprite(*object);
    const Vec2 pivot = sprite != nullptr ? sprite->pivot() : Vec2{};
    push_float_array(vm, {pivot.x, pivot.y});
    return 1;
}

SQInteger get_size(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const Sprite* sprite = measured_sprite(*object);
    const Vec2 size = sprite != nullptr ? sprite->size() : Vec2{};
    push_float_array(vm, {size.x, size.y});
    return 1;
}

SQInteger get_pivot_in_texture_image(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    push_float_array(vm, {0.0f, 0.0f});
    return 1;
}

SQInteger set_layer(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    SQInteger layer = 0;
    if (!arguments.integer(2, layer))
        return arguments.fail();
    object->set_layer(static_cast<int>(std::clamp<SQInteger>(layer, SceneObject::kLowestLayer,
                                                             SceneObject::kHighestLayer)));
    return 0;
}

SQInteger get_layer(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    sq_pushinteger(vm, object->layer());
    return 1;
}

SQInteger set_color(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    std::array<float, 4> rgba{};
    if (!arguments.vector(2, rgba))
        return arguments.fail();
    object->set_color(rgba);
    return 0;
}

SQInteger get_color(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const std::array<float, 4> rgba = object->color();
    push_float_array(vm, {rgba[0], rgba[1], rgba[2], rgba[3]});
    return 1;
}

SQInteger set_repeating(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    bool x = false;
    bool y = false;
    if (!read_flag(arguments, vm, 2, x) || !read_flag(arguments, vm, 3, y))
        return arguments.fail();
    object->set_repeating(x, y);
    return 0;
}

SQInteger set_parent(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    SceneObject* parent = nullptr;
    if (!arguments.instance(2, parent, true))
        return arguments.fail();
    object->set_parent(parent);
    return 0;
}

SQInteger fade_alpha_to(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    SQFloat target = 0.0f;
    SQFloat seconds = 0.0f;
    if (!arguments.floating(2, target) || !arguments.floating(3, seconds))
        return arguments.fail();
    object->fade_alpha_to(target, seconds);
    return 0;
}

SQInteger rotate_to(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    SQFloat degrees = 0.0f;
    SQFloat speed = 0.0f;
    if (!arguments.floating(2, degrees) || !arguments.floating(3, speed))
        return arguments.fail();
    sq_pushfloat(vm, object->rotate_to(degrees, speed));
    return 1;
}

SQInteger move_to(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    std::array<float, 2> target{};
    SQFloat speed = 0.0f;
    if (!arguments.vector(2, target) || !arguments.floating(3, speed))
        return arguments.fail();
    object->move_to({target[0], target[1]}, speed);
    return 0;
}

SQInteger move_to2(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    std::array<float, 2> target{};
    SQFloat seconds = 0.0f;
    SQFloat accelerating = 0.0f;
    SQFloat decelerating = 0.0f;
    if (!arguments.vector(2, target) || !arguments.floating(3, seconds) || !arguments.floating(4, accelerating) ||
        !arguments.floating(5, decelerating))
        return arguments.fail();
    object->move_to2({target[0], target[1]}, seconds, accelerating, decelerating);
    return 0;
}

SQInteger set_area(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    std::array<float, 2> minimum{};
    std::array<float, 2> maximum{};
    if (!arguments.vector(2, minimum) || !arguments.vector(3, maximum))
        return arguments.fail();
    object->set_area({minimum[0], minimum[1]}, {maximum[0], maximum[1]});
    return 0;
}

template <bool Backward, bool Random>
SQInteger play(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    object->play(Backward, Random);
    return 0;
}

SQInteger is_playing(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    sq_pushbool(vm, object->is_playing() ? SQTrue : SQFalse);
    return 1;
}

SQInteger get_clip(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    push_object<GameObject>(vm, object->clip());
    return 1;
}

// play_clip(name, looping = false) plays the named clip to its end, or
// round and round; true when the clip was built.
SQInteger play_clip(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const SQChar* name = nullptr;
    bool looping = false;
    if (!arguments.string(2, name) || (arguments.has(3) && !read_flag(arguments, vm, 3, looping)))
        return arguments.fail();
    sq_pushbool(vm, object->show_clip(clip::instantiate_clip(name), looping) ? SQTrue : SQFalse);
    return 1;
}

// play_clip_to(name, milliseconds) plays the named clip until that time
// and holds it there; true when the clip was built.
SQInteger play_clip_to(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    const SQChar* name = nullptr;
    SQInteger milliseconds = 0;
    if (!arguments.string(2, name) || !arguments.integer(3, milliseconds))
        return arguments.fail();
    const uint64_t stop = static_cast<uint64_t>(std::max<SQInteger>(milliseconds, 0)) * clip::kClipTicksPerMillisecond;
    sq_pushbool(vm, object->show_clip(clip::instantiate_clip(name), false, stop) ? SQTrue : SQFalse);
    return 1;
}

SQInteger is_clip_at_end(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    sq_pushbool(vm, object->is_clip_at_end() ? SQTrue : SQFalse);
    return 1;
}

SQInteger add_collision_circle(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    std::array<float, 2> centre{};
    SQFloat radius = 0.0f;
    if (!arguments.vector(2, centre) || !arguments.floating(3, radius))
        return arguments.fail();
    object->collision_shapes().add_circle({centre[0], centre[1]}, radius);
    return 0;
}

SQInteger add_collision_rect(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    std::array<float, 2> top_left{};
    std::array<float, 2> size{};
    if (!arguments.vector(2, top_left) || !arguments.vector(3, size))
        return arguments.fail();
    object->collision_shapes().add_rectangle({top_left[0], top_left[1]}, {size[0], size[1]});
    return 0;
}

SQInteger remove_all_collisions(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    object->collision_shapes().clear();
    return 0;
}

SQInteger test_collision_with_point(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    std::array<float, 2> point{};
    if (!arguments.vector(2, point))
        return arguments.fail();
    sq_pushbool(vm, object->test_collision_with_point({point[0], point[1]}) ? SQTrue : SQFalse);
    return 1;
}

SQInteger set_collision_bits(HSQUIRRELVM vm) {
    SCENE_OBJECT_THIS();
    SQInteger category = 0;
    SQInteger mask = 0;
    if (!arguments.integer(2, category) || !arguments.integer(3, mask))
        return arguments.fail();
    object->set_collision_bits(static_cast<uint32_t>(category), static_cast<uint32_t>(mask));
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<SceneObject>, 1, "x"},
    {"set_scene", set_scene},
    {"set_enabled", set_flag<&Object::set_enabled>, 2, "xb|n"},
    {"is_enabled", is_enabled},
    {"set_auto_destroy", set_flag<&Object::set_auto_destroy>, 2, "xb|n"},
    {"set_sprite", set_sprite},
    {"set_texture", set_texture},
    {"set_emitter", set_emitter},
    {"set_line", set_line},
    {"set_font", scene_object_text_methods::set_font},
    {"set_text", scene_object_text_methods::set_text},
    {"set_text_width", method<&Object::set_text_width>},
    {"set_font_scale", method<&Object::set_font_scale>},
    {"set_text_align", scene_object_text_methods::set_text_align},
    {"get_text_size", scene_object_text_methods::get_text_size},
    {"set_frame", set_frame},
    {"set_angle", set_angle},
    {"get_angle", get_angle},
    {"set_local_scale", method<&Object::set_local_scale>},
    {"get_local_scale", method<&Object::local_scale>},
    {"set_shear", method<&Object::set_shear>},
    {"get_shear", method<&Object::shear>},
    {"get_pivot", get_pivot},
    {"get_size", get_size},
    {"get_pivot_in_texture_image", get_pivot_in_texture_image},
    {"set_layer", set_layer},
    {"get_layer", get_layer},
    {"set_color", set_color},
    {"get_color", get_color},
    {"set_occlusion", method<&Object::set_occlusion>},
    {"set_repeating", set_repeating},
    {"set_parent", set_parent},
    {"fade_alpha_to", fade_alpha_to},
    {"stop_fade_alpha", method<&Object::stop_fade_alpha>},
    {"rotate", method<&Object::rotate>},
    {"rotate_to", rotate_to},
    {"stop_rotate", method<&Object::stop_rotate>},
    {"move_to", move_to},
    {"move_to2", move_to2},
    {"stop_move", method<&Object::stop_move>},
    {"set_area", set_area},
    {"play", play<false, false>},
    {"play_backward", play<true, false>},
    {"play_random", play<false, true>},
    {"play_backward_random", play<true, true>},
    {"set_playing_speed", method<&Object::set_playing_speed>},
    {"stop", method<&Object::stop>},
    {"is_playing", is_playing},
    {"set_looping", set_flag<&Object::set_looping>},
    {"get_clip", get_clip},
    {"play_clip", play_clip},
    {"play_clip_to", play_clip_to},
    {"is_clip_at_end", is_clip_at_end},
    {"add_collision_circle", add_collision_circle},
    {"add_collision_rect", add_collision_rect},
    {"remove_all_collisions", remove_all_collisions},
    {"test_collision_with_point", test_collision_with_point},
    {"set_collision_bits", set_collision_bits},
};

const NativeClassBinding g_scene_object_binding(SceneObject::kClassRecord, kMethods);

}  // namespace

}  // namespace me
