#include "ui/widget_callbacks.h"

#include <array>

#include "script/instance_method_call.h"

namespace me::simpleui {

namespace {

InternedName g_on_key_down("on_key_down", 100);
InternedName g_on_key_up("on_key_up", 101);
InternedName g_on_hovered("on_hovered", 102);
InternedName g_on_update("on_update", 103);

// In the order of WidgetCallback.
const std::array<const InternedName*, 4> kNames{&g_on_key_down, &g_on_key_up, &g_on_hovered, &g_on_update};

}  // namespace

bool WidgetCallbacks::call(GameObject& object, WidgetCallback which,
                           std::initializer_list<ScriptArgument> arguments) {
    if ((m_absent & bit(which)) != 0)
        return false;
    const InstanceMethodCall outcome =
        call_instance_method(object, *kNames[static_cast<size_t>(which)], arguments, nullptr);
    if (outcome == InstanceMethodCall::MissingMethod)
        m_absent |= bit(which);
    return outcome == InstanceMethodCall::Called;
}

}  // namespace me::simpleui
