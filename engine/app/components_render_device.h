#pragma once

#include "render/render_device.h"

namespace me {

extern RenderDevice* g_render_device;

}  // namespace me
