#pragma once

#include <array>

#include "scene/emitter.h"

namespace me {

// An emitter whose particles appear in a 2D area around its position.
class Emitter2D : public Emitter {
public:
    static const ClassRecord kClassRecord;

    const ClassRecord& class_record() const override { return kClassRecord; }

protected:
    // origin plus a point of the area, drawn from the own generator (x first).
    std::array<float, 2> spawn_point(const Emitter2DArea& area, float origin_x, float origin_y);
};

}  // namespace me
