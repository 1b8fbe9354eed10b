#pragma once

#include <string>

#include "resources/emitter_resource.h"

namespace me {

// Fills particle from the "particle" table of an emitter def, logging each
// problem with the emitter's name; false when the emitter cannot load.
bool read_particle_description(const std::string& emitter_name, const ScriptObject& def,
                               ParticleDescription& particle);

}  // namespace me
