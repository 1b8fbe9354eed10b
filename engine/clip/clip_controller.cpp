#include "clip/clip_controller.h"

#include "clip/clip_object.h"

namespace me::clip {

const ClassRecord ClipController::kClassRecord{"ClipController", &GameObject::kClassRecord};

ClipController::ClipController(ClipObject& target) : m_target(&target) {}

bool ClipController::update(Clip&, int32_t) { return false; }

}  // namespace me::clip
