#pragma once

#include <vector>

#include "core/frame_pacer.h"
#include "script/interned_name.h"
#include "script/script_argument.h"
#include "script/script_object.h"

namespace me {


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
