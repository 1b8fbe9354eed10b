#include <span>
#include <string>

#include "app/game_controllers_buttons.h"
#include "app/key_codes.h"
#include "script/bind_class.h"
#include "script/script_binding.h"

namespace me {

namespace {

void add_constants(HSQUIRRELVM vm, SQInteger table, std::span<const ScriptConstant> constants) {
    for (const ScriptConstant& constant : constants) {
        sq_pushstring(vm, constant.name.data(), static_cast<SQInteger>(constant.name.size()));
        sq_pushinteger(vm, constant.value);
        if (SQ_FAILED(sq_newslot(vm, table, SQFalse)))
            fail_binding_call("sq_newslot( v, top + 1, SQFalse )");
    }
}

// Each constant is both a compile-time constant and a root-table slot, so
// KEY_ESC and ::KEY_ESC both work.
void bind_input_constants(HSQUIRRELVM vm) {
    const SQInteger top = sq_gettop(vm);
    sq_pushconsttable(vm);
    sq_pushroottable(vm);
    for (const SQInteger table : {top + 1, top + 2}) {
        add_constants(vm, table, key_code_constants());
        add_constants(vm, table, game_controller_constants());
    }
    sq_settop(vm, top);
}

const ScriptBindingUnit g_input_constants(bind_input_constants);

}  // namespace

}  // namespace me
