#include "app/game_controllers_buttons.h"
#include "app/key_codes.h"
#include "script/bind_class.h"
#include "script/script_binding.h"

namespace me {

namespace {

void bind_input_constants(HSQUIRRELVM vm) {
    bind_constants(vm, key_code_constants());
    bind_constants(vm, game_controller_constants());
}

const ScriptBindingUnit g_input_constants(bind_input_constants);

}  // namespace

}  // namespace me
