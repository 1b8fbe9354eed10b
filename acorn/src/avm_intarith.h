// Integer binary operators shared by the interpreter's fast path and
// SQVM::arith. Computed on the unsigned type so overflow wraps instead of
// being undefined behaviour.
#pragma once

#include "aopcodes.h"
#include "squirrel.h"

// False only for division or modulo by zero.
inline bool sq_int_binop(int op, SQInteger x, SQInteger y, SQInteger &result) {
    using U = SQUnsignedInteger;
    constexpr U shift_mask = sizeof(SQInteger) * 8 - 1;
    U ux = static_cast<U>(x), uy = static_cast<U>(y);
    U r;
    switch (op) {
        case OP_ADD: r = ux + uy; break;
        case OP_SUB: r = ux - uy; break;
        case OP_MUL: r = ux * uy; break;
        case OP_DIV:
            if (y == 0) return false;
            r = y == -1 ? U(0) - ux : static_cast<U>(x / y);
            break;
        case OP_MOD:
            if (y == 0) return false;
            r = y == -1 ? U(0) : static_cast<U>(x % y);
            break;
        case OP_BAND: r = ux & uy; break;
        case OP_BOR: r = ux | uy; break;
        case OP_BXOR: r = ux ^ uy; break;
        case OP_SHL: r = ux << (uy & shift_mask); break;
        case OP_SHR: r = static_cast<U>(x >> (uy & shift_mask)); break;
        default: r = ux >> (uy & shift_mask); break;
    }
    result = static_cast<SQInteger>(r);
    return true;
}
