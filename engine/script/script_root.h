#pragma once

#include <vector>

#include "script/interned_name.h"
#include "script/script_argument.h"
#include "script/script_object.h"

namespace me {

// Frames per second over windows of at least half a second of unclamped time.
struct FpsWindow {
    static constexpr float kWindowSeconds = 0.5f;

    void add_frame(float seconds);

    float frames = 0.0f;
    float time = 0.0f;
    float fps = 0.0f;
};

struct DeferredRootCall {
    const InternedName* name;
    bool has_argument;
    ScriptArgument argument;
};

// The game's root object and what the frame hands to it.
struct ScriptRoot {
    float frame_dt = 0.0f;
    // What the boot script returned; every root callback is skipped while it
    // is null.
    ScriptObject root;
    FpsWindow fps_window;
    // Root calls queued by platform code, run before update.
    std::vector<DeferredRootCall> deferred_calls;
};

extern ScriptRoot* g_script_root;

}  // namespace me
