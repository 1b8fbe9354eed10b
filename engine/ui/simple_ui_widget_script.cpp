#include <array>

#include "core/log_format.h"
#include "script/bind_class.h"
#include "script/bound_method.h"
#include "script/native_class_arguments.h"
#include "script/native_class_binding.h"
#include "script/script_push.h"
#include "ui/pointer_input.h"
#include "ui/simple_ui_widget.h"

namespace me::simpleui {

namespace {

using Widget = SimpleUIWidget;

// A pointer index argument: an integer from 0 to 5. Anything else is a
// script error, so that no widget captures a pointer that does not exist.
bool read_pointer(NativeArguments& arguments, SQInteger index, int& pointer) {
    SQInteger value = 0;
    if (!arguments.integer(index, value))
        return false;
    if (!is_pointer_index(static_cast<int>(value)))
        return arguments.refuse(format_message("Mouse index %1 is out of range 0 to 5.", value));
    pointer = static_cast<int>(value);
    return true;
}

SQInteger init(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    if (!arguments.instance(1, widget))
        return arguments.fail();
    widget->init();
    return 0;
}

SQInteger add_child_widget(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    Widget* child = nullptr;
    if (!arguments.instance(1, widget) || !arguments.instance(2, child))
        return arguments.fail();
    widget->add_child(*child);
    return 0;
}

SQInteger remove_from_parent_widget(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    if (!arguments.instance(1, widget))
        return arguments.fail();
    widget->remove_from_parent();
    return 0;
}

SQInteger get_color(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    if (!arguments.instance(1, widget))
        return arguments.fail();
    const Color color = widget->color();
    push_float_array(vm, {color.red, color.green, color.blue, color.alpha});
    return 1;
}

SQInteger set_color(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    std::array<float, 4> color{};
    if (!arguments.instance(1, widget) || !arguments.vector(2, color))
        return arguments.fail();
    widget->set_color({color[0], color[1], color[2], color[3]});
    return 0;
}

SQInteger mouse_index_from_key(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    SQInteger key = 0;
    if (!arguments.instance(1, widget) || !arguments.integer(2, key))
        return arguments.fail();
    sq_pushinteger(vm, pointer_from_key(static_cast<int>(key)));
    return 1;
}

SQInteger is_any_mouse_hovering(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    if (!arguments.instance(1, widget))
        return arguments.fail();
    sq_pushbool(vm, widget->is_hovered() ? SQTrue : SQFalse);
    return 1;
}

// The methods that take a pointer index and answer a bool.
template <auto Ask>
SQInteger pointer_question(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    int pointer = 0;
    if (!arguments.instance(1, widget) || !read_pointer(arguments, 2, pointer))
        return arguments.fail();
    sq_pushbool(vm, (widget->*Ask)(pointer) ? SQTrue : SQFalse);
    return 1;
}

SQInteger mouse_to_local(HSQUIRRELVM vm) {
    NativeArguments arguments(vm);
    Widget* widget = nullptr;
    int pointer = 0;
    if (!arguments.instance(1, widget) || !read_pointer(arguments, 2, pointer))
        return arguments.fail();
    const Vec2 local = widget->pointer_to_content(pointer);
    push_float_array(vm, {local.x, local.y});
    return 1;
}

constexpr MethodBinding kMethods[] = {
    {"constructor", construct_bound_object<Widget>, 1, "x"},
    {"init", init},
    {"add_child_widget", add_child_widget},
    {"remove_from_parent_widget", remove_from_parent_widget},
    {"get_frame_position", method<&Widget::frame_position>},
    {"set_frame_position", method<&Widget::set_frame_position>},
    {"get_frame_size", method<&Widget::frame_size>},
    {"set_frame_size", method<&Widget::set_frame_size>},
    {"get_frame_width", method<&Widget::frame_width>},
    {"set_frame_width", method<&Widget::set_frame_width>},
    {"get_frame_height", method<&Widget::frame_height>},
    {"set_frame_height", method<&Widget::set_frame_height>},
    {"get_local_frame_position", method<&Widget::local_frame_position>},
    {"set_local_frame_position", method<&Widget::set_local_frame_position>},
    {"is_hidden", method<&Widget::hidden>},
    {"set_hidden", method<&Widget::set_hidden>},
    {"is_disabled", method<&Widget::disabled>},
    {"set_disabled", method<&Widget::set_disabled>},
    {"is_void", method<&Widget::is_void>},
    {"set_void", method<&Widget::set_void>},
    {"get_color", get_color},
    {"set_color", set_color},
    {"mouse_index_from_key", mouse_index_from_key},
    {"is_mouse_hovering", pointer_question<&Widget::is_hovered_by>},
    {"is_any_mouse_hovering", is_any_mouse_hovering},
    {"capture_mouse", pointer_question<&Widget::capture_pointer>},
    {"release_mouse", pointer_question<&Widget::release_pointer>},
    {"mouse_to_local", mouse_to_local},
};

const NativeClassBinding g_widget_binding(Widget::kClassRecord, kMethods);

}  // namespace

}  // namespace me::simpleui
