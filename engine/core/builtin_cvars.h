#pragma once

#include "core/cvar_default.h"

// The engine's built-in configuration variables. They are defined together in
// builtin_cvars.cpp, in the order that fixes their registration and file order.
namespace me::cvars {

extern CVarDefault draw_collisions;
extern CVarDefault debug_lights;
extern CVarDefault root_dir;
extern CVarDefault save_dir;
extern CVarDefault window_title;
extern CVarDefault console;
extern CVarDefault console_wait_on_exit;
extern CVarDefault cursor;
extern CVarDefault vsync;
extern CVarDefault dump_script_callstack_on_any_error;
extern CVarDefault maximum_fps;
extern CVarDefault inactive_fps;
extern CVarDefault maximum_frame_duration;
extern CVarDefault video_mode;
extern CVarDefault window_mode;
extern CVarDefault fullscreen_resolution;
extern CVarDefault windowed_resolution;
extern CVarDefault ios_status_bar;
extern CVarDefault opengl_no_vbo;
extern CVarDefault gamepad_deadzone;
extern CVarDefault gamepad_triggers_deadzone;
extern CVarDefault joy_disabled;
extern CVarDefault joy;
extern CVarDefault joy_pad;
extern CVarDefault joy_x_axis;
extern CVarDefault joy_y_axis;
extern CVarDefault joy_threshold;
extern CVarDefault textures_format;
extern CVarDefault sound_volume[8];
extern CVarDefault sound_device;
extern CVarDefault ipod_music;
extern CVarDefault network_preferred_topology;
extern CVarDefault network_mode;
extern CVarDefault network_node_id;
extern CVarDefault network_port;
extern CVarDefault network_host;
extern CVarDefault network_log;

}  // namespace me::cvars
