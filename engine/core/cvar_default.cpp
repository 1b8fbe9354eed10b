#include "core/cvar_default.h"

#include "core/builtin_cvars.h"

namespace me {
namespace {

// Constant-initialised, so it is null before any record's constructor runs.
CVarDefault* g_first_default = nullptr;

// A variable read before registration behaves as if it held its default.
CVar default_value(const CVarDefault& record) {
    CVar value(record.name());
    value.set_type(record.type());
    value.set_from_text(record.default_text());
    return value;
}

}  // namespace

CVarDefault::CVarDefault(const char* name, const char* default_text, CVarType type)
    : m_name(name), m_default_text(default_text), m_type(type), m_next(g_first_default) {
    g_first_default = this;
}

CVarDefault* CVarDefault::first() { return g_first_default; }

std::string CVarDefault::text() const { return m_cvar ? m_cvar->text() : default_value(*this).text(); }

int32_t CVarDefault::int_value() const {
    return m_cvar ? m_cvar->int_value() : default_value(*this).int_value();
}

float CVarDefault::float_value() const {
    return m_cvar ? m_cvar->float_value() : default_value(*this).float_value();
}

bool CVarDefault::take_changed() { return m_cvar && m_cvar->take_changed(); }

// ---------------------------------------------------------------------------
// Built-in variables. Registration runs in the reverse of this order.

namespace cvars {

CVarDefault draw_collisions("draw_collisions", "0", CVarType::Bool);
CVarDefault debug_lights("debug_lights", "0", CVarType::Bool);
CVarDefault root_dir("system::root_dir", "", CVarType::String);
CVarDefault save_dir("system::save_dir", "Quillmoor Engine", CVarType::String);
CVarDefault window_title("system::window_title", "Quillmoor Engine", CVarType::String);
CVarDefault console("system::console", "0", CVarType::Bool);
CVarDefault console_wait_on_exit("system::console_wait_on_exit", "0", CVarType::Bool);
CVarDefault cursor("system::cursor", "0", CVarType::Bool);
CVarDefault vsync("system::vsync", "1", CVarType::Bool);
CVarDefault dump_script_callstack_on_any_error("system::dump_script_callstack_on_any_error", "0",
                                               CVarType::Bool);
CVarDefault maximum_fps("system::maximum_fps", "130", CVarType::Float);
CVarDefault inactive_fps("system::inactive_fps", "20", CVarType::Float);
CVarDefault maximum_frame_duration("system::maximum_frame_duration", "0.1", CVarType::Float);
CVarDefault video_mode("system::video_mode", "", CVarType::String);
CVarDefault window_mode("system::window_mode", "0", CVarType::Int);
CVarDefault fullscreen_resolution("system::fullscreen_resolution", "", CVarType::String);
CVarDefault windowed_resolution("system::windowed_resolution", "", CVarType::String);
CVarDefault ios_status_bar("ios::status_bar", "0", CVarType::Bool);
CVarDefault opengl_no_vbo("opengl::no_vbo", "0", CVarType::Bool);
CVarDefault gamepad_deadzone("input::gamepad_deadzone", "30", CVarType::Int);
CVarDefault gamepad_triggers_deadzone("input::gamepad_triggers_deadzone", "30", CVarType::Int);
CVarDefault joy_disabled("joy_disabled", "0", CVarType::Bool);
CVarDefault joy("joy", "0", CVarType::Int);
CVarDefault joy_pad("joy_pad", "0", CVarType::Int);
CVarDefault joy_x_axis("joy_x_axis", "0", CVarType::Int);
CVarDefault joy_y_axis("joy_y_axis", "1", CVarType::Int);
CVarDefault joy_threshold("joy_threshold", "0.3", CVarType::Float);
CVarDefault textures_format("textures_format", "", CVarType::String);
CVarDefault sound_volume[8] = {
    {"sound_volume_0", "1.0", CVarType::Float}, {"sound_volume_1", "1.0", CVarType::Float},
    {"sound_volume_2", "1.0", CVarType::Float}, {"sound_volume_3", "1.0", CVarType::Float},
    {"sound_volume_4", "1.0", CVarType::Float}, {"sound_volume_5", "1.0", CVarType::Float},
    {"sound_volume_6", "1.0", CVarType::Float}, {"sound_volume_7", "1.0", CVarType::Float},
};
CVarDefault sound_device("sound_device", "-1", CVarType::Int);
CVarDefault ipod_music("ipod_music", "0", CVarType::Int);
CVarDefault network_preferred_topology("network::preferred_topology", "0", CVarType::Int);
CVarDefault network_mode("network::mode", "0", CVarType::Int);
CVarDefault network_node_id("network::node_id", "1", CVarType::Int);
CVarDefault network_port("network::port", "22335", CVarType::Int);
CVarDefault network_host("network::host", "127.0.0.1", CVarType::String);
CVarDefault network_log("network::log", "0", CVarType::Int);

}  // namespace cvars
}  // namespace me
