#include <array>
#include <vector>

#include "clip/clip_resource.h"
#include "clip/clip_time.h"
#include "core/key_codes.h"
#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_binding.h"

namespace me::clip {

namespace {

constexpr const char* kMoreParameters = "Wrong number of parameters: more parameters expected.";

#define CLIP_RESOURCE_THIS()              \
    NativeArguments arguments(vm);        \
    ClipResource* resource = nullptr;     \
    if (!arguments.instance(1, resource)) \
        return arguments.fail()

SQInteger set_duration_in_milliseconds(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    SQInteger milliseconds = 0;
    if (!arguments.integer(2, milliseconds))
        return arguments.fail();
    resource->set_duration(static_cast<uint32_t>(milliseconds) * kClipTicksPerMillisecond);
    return 0;
}

SQInteger get_duration_in_milliseconds(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    sq_pushinteger(vm, static_cast<SQInteger>(resource->duration() / kClipTicksPerMillisecond));
    return 1;
}

SQInteger init_channels(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    std::array<SQInteger, 3> counts{};
    for (size_t i = 0; i < counts.size(); ++i)
        if (!arguments.integer(static_cast<SQInteger>(i) + 2, counts[i]))
            return arguments.fail();
    const auto fits = [](SQInteger n) { return n >= 0 && n <= ClipResource::kMaximumCellCount; };
    if (!fits(counts[0]) || !fits(counts[1]) || !fits(counts[2]) ||
        !resource->init_channels(static_cast<int32_t>(counts[0]), static_cast<int32_t>(counts[1]),
                                 static_cast<int32_t>(counts[2])))
        return sq_throwerror(vm, "Expecting key count, channel count and stride that are not negative and give at "
                                 "most 16777216 cells.");
    return 0;
}

// Element i of the array at index as a cell of the type; false when it is not
// a number.
bool read_cell(HSQUIRRELVM vm, SQInteger array, SQInteger i, ClipChannelType type, uint32_t& cell) {
    sq_pushinteger(vm, i);
    if (SQ_FAILED(sq_get(vm, array)))
        return false;
    const SQObjectType element = sq_gettype(vm, -1);
    const bool numeric = element == OT_INTEGER || element == OT_FLOAT;
    if (numeric && type == ClipChannelType::Float) {
        SQFloat value = 0.0f;
        sq_getfloat(vm, -1, &value);
        cell = cell_of_float(static_cast<float>(value));
    } else if (numeric) {
        SQInteger value = 0;
        sq_getinteger(vm, -1, &value);
        cell = cell_of_int(static_cast<int32_t>(value));
    }
    sq_pop(vm, 1);
    return numeric;
}

// Channel and column are checked against the sizes init_channels gave, and
// every value before any is written, so a bad call changes nothing.
template <ClipChannelType Type>
SQInteger set_channel_data(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    if (arguments.count() < 4)
        return sq_throwerror(vm, kMoreParameters);
    SQInteger channel = 0;
    SQInteger column = 0;
    if (!arguments.integer(2, channel) || !arguments.integer(3, column))
        return arguments.fail();
    if (!resource->is_channel(channel))
        return sq_throwerror(vm, "Channel index is outside the clip resource's channels.");
    if (!resource->is_column(column))
        return sq_throwerror(vm, "Column index is outside the clip resource's stride.");
    if (sq_gettype(vm, 4) != OT_ARRAY)
        return sq_throwerror(vm, "Expecting array.");
    const size_t needed = resource->required_cell_count(static_cast<int32_t>(column));
    if (sq_getsize(vm, 4) < static_cast<SQInteger>(needed))
        return sq_throwerror(vm, "Expecting a value for every key of the clip resource.");
    std::vector<uint32_t> cells(needed);
    for (size_t i = 0; i < needed; ++i)
        if (!read_cell(vm, 4, static_cast<SQInteger>(i), Type, cells[i]))
            return sq_throwerror(vm, "Expecting numeric.");
    resource->set_channel_data(static_cast<size_t>(channel), Type, static_cast<int32_t>(column), cells);
    return 0;
}

// The elements of the array argument at index 2, or empty with an error
// raised when there is none.
bool read_array(HSQUIRRELVM vm, std::vector<ScriptObject>& elements) {
    if (sq_gettop(vm) < 2)
        return false;
    const SQInteger size = sq_getsize(vm, 2);
    for (SQInteger i = 0; i < size; ++i) {
        sq_pushinteger(vm, i);
        if (SQ_FAILED(sq_get(vm, 2)))
            return false;
        elements.emplace_back(vm, -1);
        sq_pop(vm, 1);
    }
    return true;
}

SQInteger set_sprite_names(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    if (arguments.count() < 2)
        return sq_throwerror(vm, kMoreParameters);
    std::vector<ScriptObject> names;
    if (sq_gettype(vm, 2) != OT_ARRAY || !read_array(vm, names))
        return sq_throwerror(vm, "Expecting array.");
    sq_pushbool(vm, resource->set_sprite_names(std::move(names)) ? SQTrue : SQFalse);
    return 1;
}

SQInteger get_sprite_names(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    sq_newarray(vm, 0);
    for (const ScriptObject& name : resource->sprite_names()) {
        name.push(vm);
        sq_arrayappend(vm, -2);
    }
    return 1;
}

SQInteger set_commands(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    if (arguments.count() < 2)
        return sq_throwerror(vm, kMoreParameters);
    std::vector<ScriptObject> commands;
    if (sq_gettype(vm, 2) != OT_ARRAY || !read_array(vm, commands))
        return sq_throwerror(vm, "Expecting array.");
    resource->set_commands(std::move(commands));
    return 0;
}

SQInteger set_instantiator(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    if (arguments.count() < 2)
        return sq_throwerror(vm, kMoreParameters);
    resource->set_instantiator(ScriptObject(vm, 2));
    return 0;
}

SQInteger get_instantiator(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    resource->instantiator().push(vm);
    return 1;
}

SQInteger finish(HSQUIRRELVM vm) {
    CLIP_RESOURCE_THIS();
    resource->finish();
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<ClipResource>, 1, "x"},
    {"set_duration_in_milliseconds", set_duration_in_milliseconds},
    {"get_duration_in_milliseconds", get_duration_in_milliseconds},
    {"init_channels", init_channels},
    {"set_float_channel_data", set_channel_data<ClipChannelType::Float>},
    {"set_int_channel_data", set_channel_data<ClipChannelType::Int>},
    {"set_fixed_channel_data", set_channel_data<ClipChannelType::Fixed>},
    {"set_sprite_names", set_sprite_names},
    {"get_sprite_names", get_sprite_names},
    {"set_commands", set_commands},
    {"set_instantiator", set_instantiator},
    {"get_instantiator", get_instantiator},
    {"finish", finish},
};

const NativeClassBinding g_clip_resource_binding(ClipResource::kClassRecord, kMethods);

constexpr std::array<ScriptConstant, 4> kClipTimeConstants{{
    {"CLIP_TICKS_PER_SECOND", kClipTicksPerSecond},
    {"CLIP_TICKS_PER_MILLISECOND", kClipTicksPerMillisecond},
    {"CLIP_TICKS_PER_MINUTE", kClipTicksPerMinute},
    {"CLIP_TICKS_PER_HOUR", kClipTicksPerHour},
}};

void bind_clip_time_constants(HSQUIRRELVM vm) { bind_constants(vm, kClipTimeConstants); }

const ScriptBindingUnit g_clip_time_constants(bind_clip_time_constants);

}  // namespace

}  // namespace me::clip
