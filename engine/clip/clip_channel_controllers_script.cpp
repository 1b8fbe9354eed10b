#include <array>
#include <span>

#include "clip/clip.h"
#include "clip/clip_channel_controllers.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"

namespace me::clip {

namespace {

// The arguments every channel controller is made from: the clip whose
// resource says what its channels are, the node and the channel indices,
// each -1 or the first of a span that lies within the clip's channels.
template <size_t Count>
struct ControllerArguments {
    Clip* clip = nullptr;
    ClipObject* target = nullptr;
    std::array<int32_t, Count> channels{};
};

template <size_t Count>
bool read_controller_arguments(NativeArguments& arguments, const std::array<int32_t, Count>& widths,
                               ControllerArguments<Count>& read) {
    if (!arguments.instance(2, read.clip) || !arguments.instance(3, read.target))
        return false;
    for (size_t i = 0; i < Count; ++i) {
        SQInteger channel = 0;
        if (!arguments.integer(static_cast<SQInteger>(i) + 4, channel))
            return false;
        if (!is_channel_span(channel, widths[i], read.clip->values().size()))
            return arguments.refuse("Channel index is outside the clip's channels.");
        read.channels[i] = static_cast<int32_t>(channel);
    }
    return true;
}

// Binds a controller made by the constructor to this.
SQInteger attach_controller(HSQUIRRELVM vm, ClipController* controller) {
    SQUserPointer previous = nullptr;
    if (sq_gettype(vm, 1) != OT_INSTANCE || SQ_FAILED(sq_getinstanceup(vm, 1, &previous, nullptr)))
        return sq_throwerror(vm, "the object is not a class instance");
    if (previous != nullptr)
        return sq_throwerror(vm, "the instance is already constructed");
    attach_to_instance<GameObject>(vm, 1, controller);
    return 0;
}

SQInteger construct_transform(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ControllerArguments<3> read;
    if (!read_controller_arguments<3>(arguments, {2, 1, 2}, read))
        return arguments.fail();
    const int32_t position = read.channels[0];
    const ClipResource* resource = read.clip->resource();
    const bool fixed = position >= 0 && resource != nullptr &&
                       resource->channel(static_cast<size_t>(position)).type == ClipChannelType::Fixed;
    return attach_controller(
        vm, new ClipTransformChannelController(*read.target, position, read.channels[1], read.channels[2], fixed));
}

SQInteger construct_sprite(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ControllerArguments<1> read;
    if (!read_controller_arguments<1>(arguments, {1}, read))
        return arguments.fail();
    return attach_controller(vm, new ClipSpriteChannelController(*read.target, read.channels[0]));
}

SQInteger construct_color(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ControllerArguments<2> read;
    if (!read_controller_arguments<2>(arguments, {3, 1}, read))
        return arguments.fail();
    return attach_controller(vm, new ClipColorChannelController(*read.target, read.channels[0], read.channels[1]));
}

SQInteger construct_z_order(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ControllerArguments<1> read;
    if (!read_controller_arguments<1>(arguments, {1}, read))
        return arguments.fail();
    return attach_controller(vm, new ClipZOrderChannelController(*read.target, read.channels[0]));
}

SQInteger construct_commands(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ControllerArguments<1> read;
    if (!read_controller_arguments<1>(arguments, {1}, read))
        return arguments.fail();
    return attach_controller(vm, new ClipCommandsChannelController(*read.target, read.channels[0]));
}

SQInteger has_fixed_position(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    ClipTransformChannelController* controller = nullptr;
    if (!arguments.instance(1, controller))
        return arguments.fail();
    sq_pushbool(vm, controller->has_fixed_position() ? SQTrue : SQFalse);
    return 1;
}

constexpr MethodBinding kControllerMethods[] = {
    {"constructor", construct_bound_object<ClipController>, 1, "x"},
};
constexpr MethodBinding kTransformMethods[] = {
    {"constructor", construct_transform},
    {"has_fixed_position", has_fixed_position},
};
constexpr MethodBinding kSpriteMethods[] = {{"constructor", construct_sprite}};
constexpr MethodBinding kColorMethods[] = {{"constructor", construct_color}};
constexpr MethodBinding kZOrderMethods[] = {{"constructor", construct_z_order}};
constexpr MethodBinding kCommandsMethods[] = {{"constructor", construct_commands}};

const NativeClassBinding g_controller_binding(ClipController::kClassRecord, kControllerMethods);
const NativeClassBinding g_transform_binding(ClipTransformChannelController::kClassRecord, kTransformMethods);
const NativeClassBinding g_sprite_binding(ClipSpriteChannelController::kClassRecord, kSpriteMethods);
const NativeClassBinding g_color_binding(ClipColorChannelController::kClassRecord, kColorMethods);
const NativeClassBinding g_z_order_binding(ClipZOrderChannelController::kClassRecord, kZOrderMethods);
const NativeClassBinding g_commands_binding(ClipCommandsChannelController::kClassRecord, kCommandsMethods);

}  // namespace

}  // namespace me::clip
