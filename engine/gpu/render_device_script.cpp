#include <array>
#include <string>

#include "gpu/render_device.h"
#include "gpu/screenshot.h"
#include "script/native_class_arguments.h"
#include "script/system_function_table.h"

namespace me {

namespace {

SQInteger set_clear_screen(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    SQBool clear = SQFalse;
    if (!arguments.boolean(2, clear))
        return arguments.fail();
    if (g_render_device != nullptr)
        g_render_device->set_clear_screen(clear != SQFalse);
    return 0;
}

SQInteger set_clear_color(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    std::array<float, 4> color{};
    if (!arguments.vector(2, color))
        return arguments.fail();
    if (g_render_device != nullptr)
        g_render_device->set_clear_color(color);
    return 0;
}

SQInteger get_rendered_triangle_count(HSQUIRRELVM vm) {
    const uint64_t count = g_render_device != nullptr ? g_render_device->rendered_triangle_count() : 0;
    sq_pushinteger(vm, static_cast<SQInteger>(count));
    return 1;
}

SQInteger save_screenshot_now(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    const SQChar* file_name = nullptr;
    if (!arguments.string(2, file_name))
        return arguments.fail();
    sq_pushbool(vm, save_screenshot(std::string(file_name, static_cast<size_t>(sq_getsize(vm, 2)))));
    return 1;
}

constexpr MethodBinding kFunctions[] = {
    {"set_clear_screen", set_clear_screen},
    {"set_clear_color", set_clear_color},
    {"get_rendered_triangle_count", get_rendered_triangle_count},
    {"save_screenshot", save_screenshot_now},
};

void bind_render_functions(HSQUIRRELVM vm) { bind_system_functions(vm, kFunctions); }

const ScriptBindingUnit g_render_functions(bind_render_functions);

}  // namespace

}  // namespace me
