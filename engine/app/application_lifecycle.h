#pragma once

namespace me {

// The process entry: reads the command line, keeps the arguments, runs the
// main loop, and returns 0, or 1 when start-up failed (fatal errors leave
// through their own exit with 1).
int run_application(int argc, char** argv);

// Creates and starts every component, runs the boot script and the root's
// preinit, preinit_render frame and init. A failing step ends the process.
bool startup();
// Frames until quit is requested (at least one), then the root's
// application_will_terminate and shutdown, the configuration save and the
// teardown. False when start-up failed.
bool run_main_loop();
// Releases the components in the reverse of their dependencies.
void teardown();

}  // namespace me
