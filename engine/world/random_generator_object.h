#pragma once

#include "script/class_record.h"
#include "script/game_object.h"
#include "world/random_generator.h"

namespace me {

// A random generator scripts own; its four words travel with saved games.
class RandomGeneratorObject : public GameObject {
public:
    static const ClassRecord kClassRecord;

    const ClassRecord& class_record() const override { return kClassRecord; }

    RandomGenerator& generator() { return m_generator; }

private:
    RandomGenerator m_generator;
};

}  // namespace me
