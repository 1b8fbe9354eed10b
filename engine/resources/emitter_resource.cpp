#include "resources/emitter_resource.h"

#include <algorithm>
#include <string>

#include "core/log.h"
#include "resources/emitter_resource_particle.h"
#include "resources/emitter_resource_values.h"
#include "resources/resource_class.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"
#include "resources/sprite.h"

namespace me {

namespace {

// Pulse rates at or below this would give delays too long to mean anything.
constexpr float kSmallestPulseRate = 1.0f / 65536.0f;
// Pulses closer than this would flood an update with particles.
constexpr float kShortestPulseDelay = 0.001f;

const ResourceClass g_emitter_resource_class(EmitterResource::kClassRecord, resource_types::emitter, nullptr);
const ResourceClass g_emitter_2d_resource_class(Emitter2DResource::kClassRecord, resource_types::emitter, nullptr);
const ResourceClass g_scene_emitter_resource_class(SceneEmitterResource::kClassRecord, resource_types::emitter,
                                                   make_resource<SceneEmitterResource>);

void read_range(const ScriptObject& def, const char* key, EmitterRange& range) {
    range = script_emitter_range(resource_vm(), def_table_field(def, key)).value_or(range);
}

void read_range(const ScriptObject& def, const char* key, EmitterIntRange& range) {
    range = script_emitter_int_range(resource_vm(), def_table_field(def, key)).value_or(range);
}

// A rate of pulses per second, as the delays between them.
std::optional<EmitterRange> delay_of_rate(const ScriptObject& def) {
    const auto rate = script_emitter_range(resource_vm(), def_table_field(def, "pulse_rate"));
    if (!rate || rate->min <= kSmallestPulseRate)
        return std::nullopt;
    return EmitterRange{1.0f / rate->max, 1.0f / rate->min};
}

std::array<float, 2> read_vec2(const ScriptObject& table, const char* key) {
    return script_vec2(resource_vm(), def_table_field(table, key)).value_or(std::array<float, 2>{0.0f, 0.0f});
}

}  // namespace

const ClassRecord EmitterResource::kClassRecord{"EmitterResource", &ResourceObject::kClassRecord};
const ClassRecord Emitter2DResource::kClassRecord{"Emitter2DResource", &EmitterResource::kClassRecord};
const ClassRecord SceneEmitterResource::kClassRecord{"SceneEmitterResource", &Emitter2DResource::kClassRecord};

EmitterResource::EmitterResource() : ResourceObject(resource_types::emitter) {}

bool EmitterResource::load() {
    const ScriptObject def = get_def();
    m_maximum_particle_count = script_int(resource_vm(), def_table_field(def, "maximum_particle_count")).value_or(0);
    read_range(def, "initial_delay", m_initial_delay);
    m_initial_delay = {std::max(m_initial_delay.min, 0.0f), std::max(m_initial_delay.max, 0.0f)};
    read_range(def, "duration", m_duration);
    read_range(def, "pulse_count", m_pulse_count);
    m_pulse_delay = delay_of_rate(def).value_or(m_pulse_delay);
    read_range(def, "pulse_delay", m_pulse_delay);
    m_pulse_delay = {std::max(m_pulse_delay.min, kShortestPulseDelay), std::max(m_pulse_delay.max, kShortestPulseDelay)};
    read_range(def, "pulse_particle_count", m_pulse_particle_count);
    return true;
}

bool Emitter2DResource::load() {
    if (!EmitterResource::load())
        return false;
    const ScriptObject area = DefReader(resource_vm(), get_def()).table("area");
    const std::string type = DefReader(resource_vm(), area).string("type");
    if (type != "box") {
        log_error(format_message("Invalid 2D emitter area type '%1'.", type));
        return false;
    }
    m_area.center = read_vec2(area, "center");
    const std::array<float, 2> size = read_vec2(area, "size");
    m_area.size = {std::max(size[0], 0.0f), std::max(size[1], 0.0f)};
    return true;
}

SceneEmitterResource::SceneEmitterResource() = default;
SceneEmitterResource::~SceneEmitterResource() = default;

bool SceneEmitterResource::load() {
    if (Emitter2DResource::load() && read_particle_description(get_name(), get_def(), m_particle))
        return true;
    log_error(format_message("Unable to load emitter '%1'.", get_name()));
    return false;
}

}  // namespace me
