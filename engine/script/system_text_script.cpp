#include <SDL.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>
#include <string>
#include <string_view>

#include "core/application.h"
#include "core/fatal_error.h"
#include "core/log.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

constexpr float kColorScale = 255.0f;

void push_text(HSQUIRRELVM vm, const std::string& text) {
    sq_pushstring(vm, text.c_str(), static_cast<SQInteger>(text.size()));
}

// Every explicit argument converted as tostring would, without separators.
std::string concatenated_arguments(HSQUIRRELVM vm) {
    std::string text;
    const SQInteger count = sq_gettop(vm);
    for (SQInteger index = 2; index <= count; ++index) {
        const SQInteger top = sq_gettop(vm);
        const SQChar* part = nullptr;
        if (SQ_FAILED(sq_tostring(vm, index)) || SQ_FAILED(sq_getstring(vm, top + 1, &part)))
            fail_binding_call("sq_getstring( v, top + 1, &s )");
        text += part;
        sq_settop(vm, top);
    }
    return text;
}

SQInteger get_clipboard_text(HSQUIRRELVM vm) {
    char* clipboard = SDL_HasClipboardText() ? SDL_GetClipboardText() : nullptr;
    push_text(vm, clipboard != nullptr ? clipboard : "");
    SDL_free(clipboard);
    return 1;
}

SQInteger set_text_color(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQInteger index = 0;
    std::array<float, 4> color{};
    if (!arguments.integer(2, index) || !arguments.vector(3, color))
        return arguments.fail();
    if (index < 0 || index >= Application::kTextColorCount)
        return sq_throwerror(vm, format_message("Invalid text color index %1.", index).c_str());
    if (g_application != nullptr)
        g_application->text_colors[static_cast<size_t>(index)] =
            Color{color[0] / kColorScale, color[1] / kColorScale, color[2] / kColorScale, color[3] / kColorScale};
    return 0;
}

template <void (*Write)(std::string_view)>
SQInteger write_log_line(HSQUIRRELVM vm) {
    Write(concatenated_arguments(vm));
    return 0;
}

SQInteger format(HSQUIRRELVM vm) {
    push_text(vm, concatenated_arguments(vm));
    return 1;
}

SQInteger end_with_fatal_error(HSQUIRRELVM vm) {
    const std::string text = concatenated_arguments(vm);
    log_error(text);
    fatal_error(text);
}

SQInteger string_to_integer(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* text = nullptr;
    if (!arguments.string(2, text))
        return arguments.fail();
    // Out-of-range text saturates at the script integer's limits, as the C
    // conversion does at its own, rather than wrapping to an unrelated value.
    const long long value = std::strtoll(text, nullptr, 10);
    sq_pushinteger(vm, static_cast<SQInteger>(std::clamp<long long>(value, std::numeric_limits<SQInteger>::min(),
                                                                    std::numeric_limits<SQInteger>::max())));
    return 1;
}

SQInteger string_to_float(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* text = nullptr;
    if (!arguments.string(2, text))
        return arguments.fail();
    sq_pushfloat(vm, static_cast<SQFloat>(std::strtod(text, nullptr)));
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"get_clipboard_text", get_clipboard_text},
    {"set_text_color", set_text_color},
    {"message", write_log_line<log_info>},
    {"warning", write_log_line<log_warning>},
    {"error", write_log_line<log_error>},
    {"format", format},
    {"fatal_error", end_with_fatal_error},
    {"string_to_integer", string_to_integer},
    {"string_to_float", string_to_float},
};

void bind_text_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_text_functions(bind_text_functions);

}  // namespace

}  // namespace me
