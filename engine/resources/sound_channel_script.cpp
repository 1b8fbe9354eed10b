#include <squirrel.h>

#include <cstdint>

#include "resources/resource_registry.h"
#include "resources/sound_channel.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"

namespace me {

namespace {

SQInteger set_sound(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SoundChannel* channel = nullptr;
    if (!arguments.instance(1, channel))
        return arguments.fail();
    const SQObjectType type = arguments.has(2) ? sq_gettype(vm, 2) : OT_NULL;
    if (!arguments.has(2) || (type != OT_NULL && type != OT_STRING))
        return sq_throwerror(vm, "Expecting resource name or null.");
    if (channel->state() != SoundChannel::State::New || type == OT_NULL) {
        channel->set_sound(ResourceRef<Sound>());
        return 0;
    }
    const SQChar* name = nullptr;
    sq_getstring(vm, 2, &name);
    channel->set_sound(load_resource_as<Sound>(resource_types::sound, name));
    return 0;
}

template <void (SoundChannel::*Setter)(int32_t)>
SQInteger set_integer(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SoundChannel* channel = nullptr;
    SQInteger value = 0;
    if (!arguments.instance(1, channel) || !arguments.integer(2, value))
        return arguments.fail();
    (channel->*Setter)(static_cast<int32_t>(value));
    return 0;
}

template <void (SoundChannel::*Setter)(float)>
SQInteger set_float(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SoundChannel* channel = nullptr;
    SQFloat value = 0.0f;
    if (!arguments.instance(1, channel) || !arguments.floating(2, value))
        return arguments.fail();
    (channel->*Setter)(value);
    return 0;
}

template <void (SoundChannel::*Action)()>
SQInteger act(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SoundChannel* channel = nullptr;
    if (!arguments.instance(1, channel))
        return arguments.fail();
    (channel->*Action)();
    return 0;
}

SQInteger is_playing(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SoundChannel* channel = nullptr;
    if (!arguments.instance(1, channel))
        return arguments.fail();
    sq_pushbool(vm, channel->is_playing());
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<SoundChannel>},
    {"set_sound", set_sound},
    {"set_looping", set_integer<&SoundChannel::set_looping>},
    {"set_category", set_integer<&SoundChannel::set_category>},
    {"set_volume", set_float<&SoundChannel::set_volume>},
    {"set_panning", set_float<&SoundChannel::set_panning>},
    {"stop_on_release", act<&SoundChannel::stop_on_release>},
    {"play", act<&SoundChannel::play>},
    {"is_playing", is_playing},
};

const NativeClassBinding g_sound_channel_binding(SoundChannel::kClassRecord, kMethods);

}  // namespace

}  // namespace me
