#include "script/rtti_object.h"

namespace me {

const ClassRecord RTTIObject::kClassRecord{"RTTIObject", nullptr};

}  // namespace me
