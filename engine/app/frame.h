#pragma once

namespace me {

// One frame of the loop: pace and measure, video mode, events, device
// updates, platform callbacks, the root's queued calls and update, render
// and present.
void frame();

// The frame-rate cap in force: the maximum while the application is active,
// else the inactive one.
float frame_rate_cap();

// Lets the root draw (preinit_render during start-up, else render) and
// presents the result; a minimized window skips all of it.
void render_and_present(bool preinit_render);

}  // namespace me
