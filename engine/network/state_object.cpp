#include "network/state_object.h"

#include "network/state_manager.h"

namespace me {

const ClassRecord StateObject::kClassRecord{"StateObject", &GameObject::kClassRecord};

StateObject::~StateObject() {
    if (m_registered && g_state_manager != nullptr)
        g_state_manager->unregister_object(*this);
}

void StateObject::attach_instance(HSQUIRRELVM vm, SQInteger idx) {
    if (g_state_manager != nullptr)
        g_state_manager->register_object(*this, vm, idx);
}

}  // namespace me
