#include <cstring>

#include "core/fatal_error.h"
#include "core/log.h"
#include "core/message_box.h"
#include "script/script_host.h"

namespace me {

ScriptObject ScriptHost::run_boot_script() {
    const SQInteger top = sq_gettop(m_vm);
    if (SQ_FAILED(sq_compilebuffer(m_vm, kBootScript, static_cast<SQInteger>(std::strlen(kBootScript)),
                                   kBootSourceName, SQTrue))) {
        log_error(format_message("Error compiling script from source '%1': %2", kBootSourceName,
                                 compile_error_text()));
        fail_boot_script();
    }
    sq_pushroottable(m_vm);
    if (SQ_FAILED(sq_call(m_vm, 1, SQTrue, SQTrue)))
        fail_boot_script();
    ScriptObject root(m_vm, -1);
    sq_settop(m_vm, top);
    return root;
}

void ScriptHost::fail_boot_script() {
    log_error("Error running boot script.");
    show_error_message_box("Error", last_error_text());
    abort_process();
}

}  // namespace me
