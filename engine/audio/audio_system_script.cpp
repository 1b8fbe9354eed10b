#include <cstdint>

#include "audio/audio_system.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

SQInteger set_sound_category_volume(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger category = 0;
    SQFloat volume = 0.0f;
    if (!arguments.integer(2, category) || !arguments.floating(3, volume))
        return arguments.fail();
    if (g_audio_system != nullptr)
        g_audio_system->set_category_volume(static_cast<int32_t>(category), volume);
    return 0;
}

SQInteger get_sound_category_volume(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger category = 0;
    if (!arguments.integer(2, category))
        return arguments.fail();
    sq_pushfloat(vm, g_audio_system != nullptr ? g_audio_system->category_volume(static_cast<int32_t>(category)) : 1.0f);
    return 1;
}

SQInteger set_music_sound_category(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger category = 0;
    if (!arguments.integer(2, category))
        return arguments.fail();
    if (g_audio_system != nullptr)
        g_audio_system->set_music_category(static_cast<int32_t>(category));
    return 0;
}

SQInteger is_music_playing(HSQUIRRELVM vm) {
    sq_pushbool(vm, g_audio_system != nullptr && g_audio_system->is_music_playing());
    return 1;
}

SQInteger stop_music(HSQUIRRELVM) {
    if (g_audio_system != nullptr)
        g_audio_system->stop_music();
    return 0;
}

SQInteger is_music_muted(HSQUIRRELVM vm) {
    sq_pushbool(vm, g_audio_system != nullptr && g_audio_system->is_music_muted());
    return 1;
}

// The sound-category functions, in the order of the System table.
constexpr MethodBinding kFunctions[] = {
    {"set_sound_category_volume", set_sound_category_volume},
    {"get_sound_category_volume", get_sound_category_volume},
    {"set_music_sound_category", set_music_sound_category},
    {"is_music_playing", is_music_playing},
    {"stop_music", stop_music},
    {"is_music_muted", is_music_muted},
};

void bind_audio_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_audio_functions(bind_audio_functions);

}  // namespace

}  // namespace me
