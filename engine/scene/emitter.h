#pragma once

#include <cstdint>

#include "core/random.h"
#include "core/resource_ref.h"
#include "resources/emitter_resource.h"
#include "script/engine_object.h"

namespace me {

// A running emitter: when its pulses come and how many particles each
// brings. Its own generator keeps its timing apart from the game's draws.
class Emitter : public EngineObject {
public:
    static const ClassRecord kClassRecord;
    static constexpr int kMaxPulsesPerUpdate = 1 << 16;

    const ClassRecord& class_record() const override { return kClassRecord; }

    // Emitting has ended: stopped, past its duration, or out of pulses.
    // An endless emitter ends once a stop was requested.
    bool finished() const;
    // Ends an emitter that has neither a duration nor a pulse count; one with
    // a limit runs on to it.
    void request_stop() { m_stop_requested = true; }
    // Ends emitting now, whatever the limits.
    void stop() { m_stopped = true; }

protected:
    // Seeds the own generator from the application's, then draws this run's
    // duration, pulse count and initial delay from it.
    void start_pulses(EmitterResource& resource);
    // How many particles the pulses due within dt bring. A pathological dt
    // is worked off over several updates, kMaxPulsesPerUpdate at a time.
    int64_t pulse(float dt);
    Xorshift128& own_random() { return m_random; }
    // The application's generator, or a process-wide stand-in where no
    // application runs (tools, benchmarks).
    static Xorshift128& application_random();
    bool started() const { return static_cast<bool>(m_resource); }

private:
    bool duration_over() const { return m_duration >= 0.0f && m_elapsed >= m_duration; }
    bool pulses_over() const { return m_pulse_count >= 0 && m_pulses >= m_pulse_count; }

    ResourceRef<EmitterResource> m_resource;
    Xorshift128 m_random;
    float m_duration = -1.0f;
    int32_t m_pulse_count = -1;
    int32_t m_pulses = 0;
    float m_elapsed = 0.0f;
    float m_time_to_pulse = 0.0f;
    bool m_stop_requested = false;
    bool m_stopped = false;
};

}  // namespace me
