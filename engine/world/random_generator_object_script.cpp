#include <squirrel.h>

#include <cstdint>
#include <optional>

#include "script/bind_class.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "world/random_generator_object.h"

namespace me {

namespace {

bool read_word(NativeArguments& arguments, SQInteger index, std::uint32_t& word) {
    SQInteger value = 0;
    if (!arguments.integer(index, value))
        return false;
    word = static_cast<std::uint32_t>(value);
    return true;
}

bool read_words(NativeArguments& arguments, SQInteger first, RandomGenerator::State& words) {
    for (SQInteger i = 0; i < 4; ++i)
        if (!read_word(arguments, first + i, words[static_cast<size_t>(i)]))
            return false;
    return true;
}

// No argument seeds from the clock, one from a word, more from four words.
std::optional<RandomGenerator> generator_from_arguments(NativeArguments& arguments) {
    if (arguments.count() == 1)
        return RandomGenerator::from_clock();
    if (arguments.count() == 2) {
        std::uint32_t seed = 0;
        if (!read_word(arguments, 2, seed))
            return std::nullopt;
        return RandomGenerator::from_word(seed);
    }
    RandomGenerator::State words{};
    if (!read_words(arguments, 2, words))
        return std::nullopt;
    return RandomGenerator::from_words(words);
}

SQInteger construct(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const std::optional<RandomGenerator> seeded = generator_from_arguments(arguments);
    if (!seeded)
        return arguments.fail();
    const SQInteger constructed = construct_bound_object<RandomGeneratorObject>(vm);
    if (SQ_FAILED(constructed))
        return constructed;
    RandomGeneratorObject* object = nullptr;
    if (!arguments.instance(1, object))
        return arguments.fail();
    object->generator() = *seeded;
    return 0;
}

SQInteger get_random_int(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    RandomGeneratorObject* object = nullptr;
    SQInteger min = 0;
    SQInteger max = 0;
    if (!arguments.instance(1, object) || !arguments.integer(2, min) || !arguments.integer(3, max))
        return arguments.fail();
    const std::optional<std::int32_t> drawn =
        object->generator().random_int(static_cast<std::int32_t>(min), static_cast<std::int32_t>(max));
    if (!drawn)
        return sq_throwerror(vm, "Expecting get_random_int( min, max ), min must be < max.");
    sq_pushinteger(vm, *drawn);
    return 1;
}

SQInteger get_random_float(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    RandomGeneratorObject* object = nullptr;
    if (!arguments.instance(1, object))
        return arguments.fail();
    if (arguments.count() == 1) {
        sq_pushfloat(vm, object->generator().unit_float());
        return 1;
    }
    SQFloat min = 0.0f;
    SQFloat max = 0.0f;
    if (!arguments.floating(2, min) || !arguments.floating(3, max))
        return arguments.fail();
    const std::optional<float> drawn = object->generator().random_float(min, max);
    if (!drawn)
        return sq_throwerror(vm, "Expecting get_random_float( min, max ), min must be < max.");
    sq_pushfloat(vm, *drawn);
    return 1;
}

SQInteger get_seed(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    RandomGeneratorObject* object = nullptr;
    SQInteger index = 0;
    if (!arguments.instance(1, object) || !arguments.integer(2, index))
        return arguments.fail();
    sq_pushinteger(vm, static_cast<SQInteger>(object->generator().state_word(index)));
    return 1;
}

SQInteger set_seed(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    RandomGeneratorObject* object = nullptr;
    RandomGenerator::State words{};
    if (!arguments.instance(1, object) || !read_words(arguments, 2, words))
        return arguments.fail();
    object->generator().set_state(words);
    return 0;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct},
    {"get_random_int", get_random_int},
    {"get_random_float", get_random_float},
    {"get_seed", get_seed},
    {"set_seed", set_seed},
};

const NativeClassBinding g_random_generator_object_binding(RandomGeneratorObject::kClassRecord, kMethods);

}  // namespace

}  // namespace me
