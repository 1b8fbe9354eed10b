#pragma once

namespace me {

class RenderDevice;

// Defines the built-in "_white_" and "_null_" textures and sprites and hands
// them to the device, which holds them until it releases its GL objects.
// "_white_" is one opaque white texel, so that untextured drawing can go
// through the same path as textured drawing; "_null_" has no GL side. Both are
// ordinary resources, found by name like any other. Without a resource
// registry there are no built-ins.
void load_builtin_resources(RenderDevice& device);

}  // namespace me
