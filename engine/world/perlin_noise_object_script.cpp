#include <squirrel.h>

#include <cstdint>
#include <optional>

#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "world/perlin_noise_object.h"

namespace me {

namespace {

std::optional<PerlinNoise> noise_from_arguments(NativeArguments& arguments) {
    if (arguments.count() == 1)
        return PerlinNoise::from_clock();
    SQInteger seed = 0;
    if (!arguments.integer(2, seed))
        return std::nullopt;
    return PerlinNoise(static_cast<std::uint32_t>(seed));
}

SQInteger construct(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const std::optional<PerlinNoise> seeded = noise_from_arguments(arguments);
    if (!seeded)
        return arguments.fail();
    const SQInteger constructed = construct_bound_object<PerlinNoiseObject>(vm);
    if (SQ_FAILED(constructed))
        return constructed;
    PerlinNoiseObject* object = nullptr;
    if (!arguments.instance(1, object))
        return arguments.fail();
    object->set_noise(*seeded);
    return 0;
}

SQInteger noise1(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    PerlinNoiseObject* object = nullptr;
    SQFloat x = 0.0f;
    if (!arguments.instance(1, object) || !arguments.floating(2, x))
        return arguments.fail();
    sq_pushfloat(vm, object->noise().noise1(x));
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct},
    {"noise1", noise1},
};

const NativeClassBinding g_perlin_noise_object_binding(PerlinNoiseObject::kClassRecord, kMethods);

}  // namespace

}  // namespace me
