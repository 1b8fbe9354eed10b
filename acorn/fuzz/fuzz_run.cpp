// Fuzz target: compile and run a small script under an operation budget.
// Scripts that loop forever are stopped by the budget, so every input ends.
#include <cstddef>
#include <cstdint>

#include "sqstdblob.h"
#include "sqstdmath.h"
#include "sqstdstring.h"
#include "squirrel.h"

namespace {

constexpr SQInteger kLineBudget = 20000;
SQInteger lines_left = 0;

void quiet_print(HSQUIRRELVM, const SQChar *, ...) {}

// Line events come only with debug information on; each one spends budget
// and, once it is gone, turns into a script error that unwinds the run.
void budget_hook(HSQUIRRELVM v, SQInteger type, const SQChar *, SQInteger, const SQChar *) {
    if (type == 'l' && --lines_left < 0) sq_throwerror(v, "operation budget exhausted");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    HSQUIRRELVM v = sq_open(1024);
    sq_setprintfunc(v, quiet_print, quiet_print);
    sq_pushroottable(v);
    sqstd_register_bloblib(v);
    sqstd_register_mathlib(v);
    sqstd_register_stringlib(v);
    sq_pop(v, 1);
    sq_enabledebuginfo(v, SQTrue);
    sq_setnativedebughook(v, budget_hook);
    lines_left = kLineBudget;
    SQInteger top = sq_gettop(v);
    if (SQ_SUCCEEDED(sq_compilebuffer(v, reinterpret_cast<const SQChar *>(data), static_cast<SQInteger>(size),
                                      "fuzz", SQFalse))) {
        sq_pushroottable(v);
        sq_call(v, 1, SQFalse, SQFalse);
        sq_pop(v, 1);
    }
    if (sq_gettop(v) != top) __builtin_trap();
    sq_collectgarbage(v);
    sq_close(v);
    return 0;
}
