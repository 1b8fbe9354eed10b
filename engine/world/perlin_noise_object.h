#pragma once

#include "script/class_record.h"
#include "script/game_object.h"
#include "world/perlin_noise.h"

namespace me {

// One-dimensional noise for scripts, reproducible from its seed.
class PerlinNoiseObject : public GameObject {
public:
    static const ClassRecord kClassRecord;

    const ClassRecord& class_record() const override { return kClassRecord; }

    const PerlinNoise& noise() const { return m_noise; }
    void set_noise(const PerlinNoise& noise) { m_noise = noise; }

private:
    PerlinNoise m_noise{0};
};

}  // namespace me
