// Compile-time arithmetic on constant operands, with the VM's semantics.
#include <cmath>

#include "acodegen.h"

namespace {

SQFloat as_float(const SQValue &v) { return v._type == OT_INTEGER ? static_cast<SQFloat>(sq_int(v)) : sq_float(v); }

constexpr int kIntBits = static_cast<int>(sizeof(SQInteger) * 8);

// Integer folding with the VM's two's-complement wrap. Cases whose result
// the VM decides at run time (division by zero, odd shift counts) are left
// unfolded.
bool fold_integer(uint8_t op, SQInteger a, SQInteger b, SQInteger &out) {
    using U = SQUnsignedInteger;
    switch (op) {
        case OP_ADD: out = static_cast<SQInteger>(static_cast<U>(a) + static_cast<U>(b)); return true;
        case OP_SUB: out = static_cast<SQInteger>(static_cast<U>(a) - static_cast<U>(b)); return true;
        case OP_MUL: out = static_cast<SQInteger>(static_cast<U>(a) * static_cast<U>(b)); return true;
        case OP_DIV:
        case OP_MOD:
            if (b == 0) return false;
            if (b == -1) {
                out = op == OP_DIV ? static_cast<SQInteger>(U(0) - static_cast<U>(a)) : 0;
                return true;
            }
            out = op == OP_DIV ? a / b : a % b;
            return true;
        case OP_BAND: out = a & b; return true;
        case OP_BOR: out = a | b; return true;
        case OP_BXOR: out = a ^ b; return true;
        case OP_SHL:
        case OP_SHR:
        case OP_USHR:
            if (b < 0 || b >= kIntBits) return false;
            if (op == OP_SHL) out = static_cast<SQInteger>(static_cast<U>(a) << b);
            else if (op == OP_SHR) out = a >> b;
            else out = static_cast<SQInteger>(static_cast<U>(a) >> b);
            return true;
        default: return false;
    }
}

bool fold_float(uint8_t op, SQFloat a, SQFloat b, SQFloat &out) {
    switch (op) {
        case OP_ADD: out = a + b; return true;
        case OP_SUB: out = a - b; return true;
        case OP_MUL: out = a * b; return true;
        case OP_DIV: out = a / b; return true;
        case OP_MOD: out = std::fmod(a, b); return true;
        default: return false;
    }
}

}  // namespace

bool sq_fold_arith(uint8_t op, const SQValue &a, const SQValue &b, SQValue &out) {
    if (!(a._type & SQOBJECT_NUMERIC) || !(b._type & SQOBJECT_NUMERIC)) return false;
    if (a._type == OT_INTEGER && b._type == OT_INTEGER) {
        SQInteger r;
        if (!fold_integer(op, sq_int(a), sq_int(b), r)) return false;
        out = SQValue(r);
        return true;
    }
    SQFloat r;
    if (!fold_float(op, as_float(a), as_float(b), r)) return false;
    out = SQValue(r);
    return true;
}
