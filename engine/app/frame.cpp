#include "app/frame.h"

#include <SDL.h>

#include <utility>

#include "app/game_controllers.h"
#include "app/input_events.h"
#include "app/main_window.h"
#include "audio/audio_system.h"
#include "core/application.h"
#include "core/builtin_cvars.h"
#include "gpu/render_device.h"
#include "network/connection_manager.h"
#include "platform/platform_client.h"
#include "platform/platform_services.h"
#include "script/script_host.h"
#include "script/script_root.h"

namespace me {

namespace {

void pace_and_measure() {
    g_script_root->frame_dt = g_application->frame_pacer.wait_and_measure(
        frame_rate_cap(), cvars::maximum_frame_duration.float_value(), g_script_root->fps_window);
}

void drain_events() {
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT)
            g_application->quit_requested = true;  // a status the game asked for stays
        else
            dispatch_input_event(event, engine_input_listener());
    }
    if (cvars::vsync.take_changed())
        g_main_window->apply_vsync_setting();
    if (cvars::cursor.take_changed())
        g_main_window->apply_cursor_setting();
}

void release_keys_without_focus() {
    if (is_application_active())
        return;
    for (const int code : g_application->release_held_keys())
        call_root_callback(root_names::key_up, {static_cast<SQInteger>(code)});
}

void run_platform_callbacks() {
    g_platform_services->housekeeping();
    if (platform::g_platform != nullptr)
        platform::g_platform->run_callbacks();
}

void run_deferred_calls() {
    std::vector<DeferredRootCall> calls = std::move(g_script_root->deferred_calls);
    g_script_root->deferred_calls.clear();
    for (const DeferredRootCall& call : calls) {
        if (call.has_argument)
            call_root_callback(*call.name, {call.argument});
        else
            call_root_callback(*call.name);
    }
}

void update() {
    run_deferred_calls();
    call_root_callback(root_names::update, {g_script_root->frame_dt});
}

}  // namespace

float frame_rate_cap() {
    return is_application_active() ? cvars::maximum_fps.float_value() : cvars::inactive_fps.float_value();
}

void frame() {
    pace_and_measure();
    g_main_window->apply_pending_video_mode();
    drain_events();
    g_audio_system->update();
    g_connection_manager->update();
    g_game_controllers->update();
    release_keys_without_focus();
    run_platform_callbacks();
    update();
    render_and_present(false);
}

void render_and_present(bool preinit_render) {
    if ((g_main_window->flags() & SDL_WINDOW_MINIMIZED) != 0)
        return;
    g_render_device->begin_frame();
    call_root_callback(preinit_render ? root_names::preinit_render : root_names::render);
    g_render_device->end_frame();
    g_main_window->swap();
    g_application->clear_frame_input();
    g_game_controllers->clear_frame_marks();
}

}  // namespace me
