#include "world/perlin_noise_object.h"

namespace me {

const ClassRecord PerlinNoiseObject::kClassRecord{"PerlinNoiseObject", &GameObject::kClassRecord};

}  // namespace me
