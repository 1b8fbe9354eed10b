#pragma once

#include "gpu/view2d.h"

namespace me {

class RenderDevice;

// Makes the view current for drawing: its viewport on the window (whose
// drawable height turns the y-down rectangle into GL's y-up one) and its
// projection and model-view matrices in the fixed-function pipeline.
// Without a GL context it does nothing.
void load_view(RenderDevice& device, const View2d& view, float window_height);

}  // namespace me
