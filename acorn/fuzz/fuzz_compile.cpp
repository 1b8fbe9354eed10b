// Fuzz target: the compiler must survive any byte sequence.
#include <cstddef>
#include <cstdint>

#include "squirrel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    HSQUIRRELVM v = sq_open(1024);
    SQInteger top = sq_gettop(v);
    if (SQ_SUCCEEDED(sq_compilebuffer(v, reinterpret_cast<const SQChar *>(data), static_cast<SQInteger>(size),
                                      "fuzz", SQFalse))) {
        sq_pop(v, 1);
    }
    if (sq_gettop(v) != top) __builtin_trap();  // a compile must leave the stack balanced
    sq_close(v);
    return 0;
}
