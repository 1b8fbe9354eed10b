#include <vector>

#include "clip/clip.h"
#include "clip/clip_controller.h"
#include "clip/clip_time.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"

namespace me::clip {

namespace {

constexpr const char* kMoreParameters = "Wrong number of parameters: more parameters expected.";

#define CLIP_THIS()                   \
    NativeArguments arguments(vm);    \
    Clip* clip = nullptr;             \
    if (!arguments.instance(1, clip)) \
        return arguments.fail()

// An optional bool argument, false when absent.
bool optional_flag(NativeArguments& arguments, SQInteger index, bool& value) {
    SQBool flag = SQFalse;
    if (arguments.has(index) && !arguments.boolean(index, flag))
        return false;
    value = flag != SQFalse;
    return true;
}

SQInteger init(HSQUIRRELVM vm) {
    CLIP_THIS();
    ClipResource* resource = nullptr;
    if (!arguments.instance(2, resource))
        return arguments.fail();
    clip->init(ResourceRef<ClipResource>(resource));
    return 0;
}

SQInteger set_command_handler(HSQUIRRELVM vm) {
    CLIP_THIS();
    if (arguments.count() < 2)
        return sq_throwerror(vm, kMoreParameters);
    clip->set_command_handler(ScriptObject(vm, 2));
    return 0;
}

SQInteger get_duration(HSQUIRRELVM vm) {
    CLIP_THIS();
    sq_pushinteger(vm, static_cast<SQInteger>(clip->duration()));
    return 1;
}

SQInteger get_duration_in_milliseconds(HSQUIRRELVM vm) {
    CLIP_THIS();
    sq_pushinteger(vm, static_cast<SQInteger>(clip->duration() / kClipTicksPerMillisecond));
    return 1;
}

SQInteger get_sprite_names(HSQUIRRELVM vm) {
    CLIP_THIS();
    sq_newarray(vm, 0);
    for (const ScriptObject& name : clip->sprite_names()) {
        name.push(vm);
        sq_arrayappend(vm, -2);
    }
    return 1;
}

SQInteger reset_skin(HSQUIRRELVM vm) {
    CLIP_THIS();
    bool refresh = false;
    if (!optional_flag(arguments, 2, refresh))
        return arguments.fail();
    clip->reset_skin(refresh);
    return 0;
}

SQInteger apply_skin(HSQUIRRELVM vm) {
    CLIP_THIS();
    if (arguments.count() < 2)
        return sq_throwerror(vm, kMoreParameters);
    bool refresh = false;
    if (sq_gettype(vm, 2) != OT_ARRAY)
        return sq_throwerror(vm, "Expecting array.");
    if (!optional_flag(arguments, 3, refresh))
        return arguments.fail();
    std::vector<ScriptObject> names;
    for (SQInteger i = 0; i < sq_getsize(vm, 2); ++i) {
        sq_pushinteger(vm, i);
        if (SQ_FAILED(sq_get(vm, 2)))
            return sq_throwerror(vm, "Expecting array.");
        names.emplace_back(vm, -1);
        sq_pop(vm, 1);
    }
    clip->apply_skin(names, refresh);
    return 0;
}

SQInteger refresh_controllers(HSQUIRRELVM vm) {
    CLIP_THIS();
    clip->refresh_controllers();
    return 0;
}

template <void (Clip::*Set)(bool)>
SQInteger set_flag(HSQUIRRELVM vm) {
    CLIP_THIS();
    SQBool value = SQFalse;
    if (!arguments.boolean(2, value))
        return arguments.fail();
    (clip->*Set)(value != SQFalse);
    return 0;
}

SQInteger get_clip_time(HSQUIRRELVM vm) {
    CLIP_THIS();
    sq_pushinteger(vm, static_cast<SQInteger>(clip->time()));
    return 1;
}

SQInteger is_at_end(HSQUIRRELVM vm) {
    CLIP_THIS();
    sq_pushbool(vm, clip->is_at_end() ? SQTrue : SQFalse);
    return 1;
}

SQInteger add_controller(HSQUIRRELVM vm) {
    CLIP_THIS();
    ClipController* controller = nullptr;
    if (!arguments.instance(2, controller))
        return arguments.fail();
    if (controller->channel_extent() > clip->values().size())
        return sq_throwerror(vm, "The controller reads channels that the clip's resource does not have.");
    clip->add_controller(*controller);
    return 0;
}

template <void (Clip::*Move)(int64_t)>
SQInteger move_in_time(HSQUIRRELVM vm) {
    CLIP_THIS();
    SQInteger ticks = 0;
    if (!arguments.integer(2, ticks))
        return arguments.fail();
    (clip->*Move)(ticks);
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<Clip>, 1, "x"},
    {"init", init},
    {"set_command_handler", set_command_handler},
    {"get_duration", get_duration},
    {"get_duration_in_milliseconds", get_duration_in_milliseconds},
    {"get_sprite_names", get_sprite_names},
    {"reset_skin", reset_skin},
    {"apply_skin", apply_skin},
    {"refresh_controllers", refresh_controllers},
    {"set_looping", set_flag<&Clip::set_looping>},
    {"set_render_within_parent", set_flag<&Clip::set_render_within_parent>},
    {"get_clip_time", get_clip_time},
    {"is_at_end", is_at_end},
    {"add_controller", add_controller},
    {"advance_in_time", move_in_time<&Clip::advance_in_time>},
    {"jump_to_time", move_in_time<&Clip::jump_to_time>},
};

const NativeClassBinding g_clip_binding(Clip::kClassRecord, kMethods);

}  // namespace

}  // namespace me::clip
