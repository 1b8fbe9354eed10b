#include "world/random_generator_object.h"

namespace me {

const ClassRecord RandomGeneratorObject::kClassRecord{"RandomGeneratorObject", &GameObject::kClassRecord};

}  // namespace me
