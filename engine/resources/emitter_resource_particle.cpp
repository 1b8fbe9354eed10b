#include "resources/emitter_resource_particle.h"

#include <optional>

#include "core/log.h"
#include "resources/emitter_resource_values.h"
#include "resources/resource_def_reader.h"
#include "resources/resource_registry.h"
#include "resources/sprite.h"

namespace me {

namespace {

constexpr float kDegreesPerTurn = 360.0f;

void log_emitter_error(const char* message, const std::string& emitter_name) {
    log_error(format_message(message, emitter_name));
}

// False, with nothing logged here, when the value is not a name or the
// sprite fails (the registry says why).
bool add_sprite(const ScriptObject& name, ParticleDescription& particle) {
    const std::optional<std::string> sprite_name = script_string(resource_vm(), name);
    if (!sprite_name)
        return false;
    ResourceRef<Sprite> sprite = load_sprite(*sprite_name);
    if (!sprite)
        return false;
    particle.sprites.push_back(std::move(sprite));
    return true;
}

bool read_sprites(const std::string& emitter_name, const ScriptObject& value, ParticleDescription& particle) {
    if (value.type() == OT_STRING)
        return add_sprite(value, particle);
    const auto names = script_array_elements(resource_vm(), value);
    if (!names) {
        log_emitter_error("Emitter %1: Invalid sprites.", emitter_name);
        return false;
    }
    if (names->empty()) {
        log_emitter_error("Emitter %1: Invalid number of sprites.", emitter_name);
        return false;
    }
    for (const ScriptObject& name : *names) {
        if (name.type() != OT_STRING) {
            log_emitter_error("Emitter %1: Invalid sprites.", emitter_name);
            return false;
        }
        if (!add_sprite(name, particle))
            return false;
    }
    return true;
}

ParticleRange read_range(const ScriptObject& table, const char* key, float fallback) {
    return script_particle_range(resource_vm(), def_table_field(table, key)).value_or(ParticleRange{fallback, 0.0f});
}

ParticleRange in_turns(ParticleRange degrees) {
    return {degrees.start / kDegreesPerTurn, degrees.extent / kDegreesPerTurn};
}

// Spread widens the direction by half of it on either side.
ParticleRange read_direction(const ScriptObject& table) {
    const ParticleRange direction = read_range(table, "direction", 0.0f);
    const float spread = DefReader(resource_vm(), table).floating("spread", 0.0f);
    return in_turns({direction.start - spread / 2.0f, direction.extent + spread});
}

// A life taken from the sprites needs every sprite to have one.
void check_duration(const std::string& emitter_name, ParticleDescription& particle) {
    ParticleRange& duration = particle.duration;
    if (duration.start > 0.0f) {
        if (duration.extent < 0.0f) {
            log_emitter_error("Emitter %1: Invalid particle duration range.", emitter_name);
            duration.extent = 0.0f;
        }
        return;
    }
    duration.extent = 0.0f;
    for (const ResourceRef<Sprite>& sprite : particle.sprites) {
        if (!sprite->is_animated() || sprite->duration() <= 0.0f) {
            log_emitter_error("Emitter %1: Negative particle duration requires all sprites to be animated.",
                              emitter_name);
            duration.start = 1.0f;
            return;
        }
    }
}

// A run key: absent or of another type leaves no run; an array must hold
// exactly two elements that element() accepts.
template <class T, class ReadElement>
bool read_run(const ScriptObject& value, ReadElement element, std::optional<ParticleRun<T>>& run) {
    const auto elements = script_array_elements(resource_vm(), value);
    if (!elements)
        return true;
    if (elements->size() != 2)
        return false;
    const std::optional<T> start = element(resource_vm(), (*elements)[0]);
    const std::optional<T> end = element(resource_vm(), (*elements)[1]);
    if (!start || !end)
        return false;
    run = ParticleRun<T>{*start, *end};
    return true;
}

bool read_runs(const std::string& emitter_name, const ScriptObject& table, ParticleDescription& particle) {
    HSQUIRRELVM vm = resource_vm();
    const ScriptObject alpha_run = def_table_field(table, "alpha_run");
    if (const std::optional<float> factor = script_float(vm, alpha_run)) {
        particle.alpha.start *= *factor;
        particle.alpha.extent *= *factor;
    } else if (!read_run<float>(alpha_run, script_float, particle.alpha_run)) {
        log_emitter_error("Emitter %1: Only alpha_run=[start,end] supported for now.", emitter_name);
        return false;
    }
    if (!read_run<ParticleColor>(def_table_field(table, "color_run"), script_rgb, particle.color_run)) {
        log_emitter_error("Emitter %1: Only color_run=[start,end] supported for now.", emitter_name);
        return false;
    }
    if (!read_run<ParticleScale>(def_table_field(table, "scale_run"), script_vec2, particle.scale_run)) {
        log_emitter_error("Emitter %1: Only scale_run=[start,end] supported for now.", emitter_name);
        return false;
    }
    const ScriptObject occlusion_run = def_table_field(table, "occlusion_run");
    if (const std::optional<float> occlusion = script_float(vm, occlusion_run)) {
        particle.occlusion_run = ParticleRun<float>{*occlusion, *occlusion};
    } else if (!read_run<float>(occlusion_run, script_float, particle.occlusion_run)) {
        log_emitter_error("Emitter %1: Only occlusion_run=[start,end] supported for now.", emitter_name);
        return false;
    }
    return true;
}

}  // namespace

bool read_particle_description(const std::string& emitter_name, const ScriptObject& def,
                               ParticleDescription& particle) {
    const ScriptObject table = DefReader(resource_vm(), def).table("particle");
    if (!read_sprites(emitter_name, def_table_field(table, "sprite"), particle))
        return false;
    particle.direction = read_direction(table);
    particle.speed = read_range(table, "speed", 0.0f);
    particle.gravity = read_range(table, "gravity", 1.0f);
    particle.duration = read_range(table, "duration", 0.0f);
    check_duration(emitter_name, particle);
    particle.angle = in_turns(read_range(table, "angle", 0.0f));
    particle.rotation_speed = DefReader(resource_vm(), table).floating("rotation_speed", 0.0f) / kDegreesPerTurn;
    particle.alpha = read_range(table, "alpha", 1.0f);
    return read_runs(emitter_name, table, particle);
}

}  // namespace me
