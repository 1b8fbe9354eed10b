#include "scene/emitter.h"

#include <algorithm>

#include "core/application.h"

namespace me {

const ClassRecord Emitter::kClassRecord{"Emitter", &EngineObject::kClassRecord};

Xorshift128& Emitter::application_random() {
    static Xorshift128 stand_in;
    return g_application != nullptr ? g_application->rng : stand_in;
}

bool Emitter::finished() const {
    const bool endless = m_duration < 0.0f && m_pulse_count < 0;
    return m_stopped || duration_over() || pulses_over() || (endless && m_stop_requested);
}

void Emitter::start_pulses(EmitterResource& resource) {
    m_resource = ResourceRef<EmitterResource>(&resource);
    m_random.seed(application_random().next());
    m_duration = m_random.next_float(resource.duration().min, resource.duration().max);
    m_pulse_count = m_random.next_int(resource.pulse_count().min, resource.pulse_count().max);
    m_pulses = 0;
    m_elapsed = 0.0f;
    m_time_to_pulse = m_random.next_float(resource.initial_delay().min, resource.initial_delay().max);
    m_stop_requested = false;
    m_stopped = false;
}

int64_t Emitter::pulse(float dt) {
    if (!m_resource || finished())
        return 0;
    const float step = m_duration >= 0.0f ? std::min(dt, m_duration - m_elapsed) : dt;
    m_elapsed += dt;
    m_time_to_pulse -= step;
    const EmitterIntRange& per_pulse = m_resource->pulse_particle_count();
    const EmitterRange& delay = m_resource->pulse_delay();
    int64_t particles = 0;
    for (int pulses = 0; m_time_to_pulse <= 0.0f && pulses < kMaxPulsesPerUpdate; ++pulses) {
        particles += std::max(m_random.next_int(per_pulse.min, per_pulse.max), 0);
        m_time_to_pulse += m_random.next_float(delay.min, delay.max);
        ++m_pulses;
        if (pulses_over())
            break;
    }
    return particles;
}

}  // namespace me
