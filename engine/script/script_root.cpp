#include "script/script_root.h"

namespace me {

ScriptRoot* g_script_root = nullptr;

void FpsWindow::add_frame(float seconds) {
    time += seconds;
    frames += 1.0f;
    if (time > kWindowSeconds) {
        fps = frames / time;
        frames = 0.0f;
        time = 0.0f;
    }
}

}  // namespace me
