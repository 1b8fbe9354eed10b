// Arithmetic, comparison and conversions. Integer arithmetic is done on the
// unsigned type so that overflow wraps (two's complement) instead of being
// undefined behaviour.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

#include "avm.h"
#include "avm_intarith.h"

namespace {

using U = SQUnsignedInteger;

SQFloat to_float(const SQObject &o) {
    return o._type == OT_INTEGER ? static_cast<SQFloat>(sq_int(o)) : sq_float(o);
}

bool is_number(const SQObject &o) { return o._type == OT_INTEGER || o._type == OT_FLOAT; }

// Writes a scalar's text into buf; false for values that need the VM
// (strings and reference types). Concatenation uses this so that a number
// joined into a string is never interned on its own.
bool format_scalar(const SQObject &o, char (&buf)[64]) {
    switch (o._type) {
        case OT_INTEGER: {
            // Integers are concatenated into strings all the time: printf's
            // parsing of its format would be most of the cost.
            const auto end = std::to_chars(buf, buf + sizeof buf - 1, static_cast<long long>(sq_int(o))).ptr;
            *end = '\0';
            return true;
        }
        case OT_FLOAT: snprintf(buf, sizeof buf, "%g", static_cast<double>(sq_float(o))); return true;
        case OT_BOOL: std::strcpy(buf, sq_int(o) ? "true" : "false"); return true;
        case OT_NULL: std::strcpy(buf, "null"); return true;
        default: return false;
    }
}

// The bytes a value contributes to a concatenation: scalars are formatted
// into buf, anything else goes through tostring and is kept alive in holder.
bool concat_operand(SQVM *vm, const SQObject &o, char (&buf)[64], SQValue &holder, const char *&data,
                    SQInteger &len) {
    if (format_scalar(o, buf)) {
        data = buf;
        len = static_cast<SQInteger>(std::strlen(buf));
        return true;
    }
    if (!vm->tostring(o, holder)) return false;
    data = sq_str(holder)->data;
    len = sq_str(holder)->len;
    return true;
}

char op_symbol(int op) {
    switch (op) {
        case OP_ADD: return '+';
        case OP_SUB: return '-';
        case OP_MUL: return '*';
        case OP_DIV: return '/';
        case OP_MOD: return '%';
        default: return '?';
    }
}

SQMetaMethod arith_metamethod(int op) {
    switch (op) {
        case OP_ADD: return MT_ADD;
        case OP_SUB: return MT_SUB;
        case OP_MUL: return MT_MUL;
        case OP_DIV: return MT_DIV;
        default: return MT_MODULO;
    }
}

bool int_arith(SQVM *v, int op, SQInteger x, SQInteger y, SQValue &dest) {
    SQInteger r;
    if (!sq_int_binop(op, x, y, r)) {
        v->raise_error("division by zero");
        return false;
    }
    dest = SQValue(r);
    return true;
}

bool float_arith(int op, SQFloat x, SQFloat y, SQValue &dest) {
    switch (op) {
        case OP_ADD: dest = SQValue(x + y); break;
        case OP_SUB: dest = SQValue(x - y); break;
        case OP_MUL: dest = SQValue(x * y); break;
        case OP_DIV: dest = SQValue(x / y); break;
        default: dest = SQValue(std::fmod(x, y)); break;
    }
    return true;
}

}  // namespace

bool SQVM::arith(int op, const SQObject &a, const SQObject &b, SQValue &dest) {
    if (a._type == OT_INTEGER && b._type == OT_INTEGER) return int_arith(this, op, sq_int(a), sq_int(b), dest);
    if (is_number(a) && is_number(b) && op <= OP_MOD) return float_arith(op, to_float(a), to_float(b), dest);
    if (op == OP_ADD && (a._type == OT_STRING || b._type == OT_STRING)) {
        char bufa[64], bufb[64];
        SQValue sa, sb;
        const char *x, *y;
        SQInteger xlen, ylen;
        if (!concat_operand(this, a, bufa, sa, x, xlen) || !concat_operand(this, b, bufb, sb, y, ylen)) return false;
        if (xlen > SQ_MAX_STRING_LENGTH - ylen) {
            raise_error("string too long");
            return false;
        }
        dest = SQValue(SQString::concat(ss, x, xlen, y, ylen));
        return true;
    }
    if (op >= OP_ADD && op <= OP_MOD) {
        SQValue fn;
        if (find_metamethod(a, arith_metamethod(op), fn)) return call_metamethod(fn, a, 1, &b, dest);
        raise_error("arith op %c on between '%s' and '%s'", op_symbol(op), sq_typename(a._type),
                    sq_typename(b._type));
        return false;
    }
    raise_error("bitwise op between '%s' and '%s'", sq_typename(a._type), sq_typename(b._type));
    return false;
}

bool SQVM::unary_minus(const SQObject &a, SQValue &dest) {
    switch (a._type) {
        case OT_INTEGER: dest = SQValue(static_cast<SQInteger>(U(0) - static_cast<U>(sq_int(a)))); return true;
        case OT_FLOAT: dest = SQValue(-sq_float(a)); return true;
        default: {
            SQValue fn;
            if (find_metamethod(a, MT_UNM, fn)) return call_metamethod(fn, a, 0, nullptr, dest);
            raise_error("attempt to negate a %s", sq_typename(a._type));
            return false;
        }
    }
}

bool SQVM::equal(const SQObject &a, const SQObject &b) {
    if (a._type == b._type) return sq_rawequal(a, b);
    if (is_number(a) && is_number(b)) return to_float(a) == to_float(b);
    return false;
}

// How an operand appears in "comparison between" errors: numbers and
// strings by value, anything else by type name.
static void comparison_operand(const SQObject &o, std::string &out) {
    char buf[64];
    switch (o._type) {
        case OT_STRING: out.assign(sq_str(o)->data, static_cast<size_t>(sq_str(o)->len)); return;
        case OT_INTEGER: snprintf(buf, sizeof buf, "%lld", static_cast<long long>(sq_int(o))); break;
        case OT_FLOAT: snprintf(buf, sizeof buf, "%.14g", static_cast<double>(sq_float(o))); break;
        default: out = sq_typename(o._type); return;
    }
    out = buf;
}

bool SQVM::compare(const SQObject &a, const SQObject &b, SQInteger &result) {
    if (a._type == OT_INTEGER && b._type == OT_INTEGER) {
        result = sq_int(a) < sq_int(b) ? -1 : (sq_int(a) > sq_int(b) ? 1 : 0);
        return true;
    }
    if (is_number(a) && is_number(b)) {
        SQFloat x = to_float(a), y = to_float(b);
        result = x < y ? -1 : (x > y ? 1 : 0);
        return true;
    }
    if (a._type == OT_STRING && b._type == OT_STRING) {
        // `<=>` answers the difference of the first differing bytes (a
        // missing byte counting as 0), as the reference does.
        const SQString *x = sq_str(a), *y = sq_str(b);
        const SQInteger n = x->len < y->len ? x->len : y->len;
        const auto *p = reinterpret_cast<const unsigned char *>(x->data);
        const auto *q = reinterpret_cast<const unsigned char *>(y->data);
        SQInteger i = 0;
        while (i < n && p[i] == q[i]) ++i;
        const SQInteger left = i < x->len ? p[i] : 0, right = i < y->len ? q[i] : 0;
        result = left - right;
        return true;
    }
    if (a._type != b._type) {
        // null orders before every other type; other mixes cannot be ordered
        if (a._type == OT_NULL || b._type == OT_NULL) {
            result = a._type == OT_NULL ? -1 : 1;
            return true;
        }
        std::string x, y;
        comparison_operand(a, x);
        comparison_operand(b, y);
        raise_error("comparison between '%s' and '%s'", x.c_str(), y.c_str());
        return false;
    }
    if (a._type == OT_BOOL || a._type == OT_NULL) {
        result = sq_int(a) < sq_int(b) ? -1 : (sq_int(a) > sq_int(b) ? 1 : 0);
        return true;
    }
    SQValue fn;
    if (find_metamethod(a, MT_CMP, fn)) {
        SQValue r;
        if (!call_metamethod(fn, a, 1, &b, r)) return false;
        if (r._type != OT_INTEGER) {
            raise_error("_cmp must return an integer");
            return false;
        }
        result = sq_int(r);
        return true;
    }
    // Two objects of one type without `_cmp` order by identity, as in the
    // reference: consistent within a run, arbitrary across runs.
    const SQRefCounted *p = a._unVal.pRefCounted, *q = b._unVal.pRefCounted;
    result = p == q ? 0 : (std::less<const SQRefCounted *>()(p, q) ? -1 : 1);
    return true;
}

bool SQVM::tostring(const SQObject &o, SQValue &dest) {
    char buf[64];
    if (o._type == OT_STRING) {
        dest = o;
        return true;
    }
    if (format_scalar(o, buf)) {
        dest = SQValue(SQString::create(ss, buf));
        return true;
    }
    SQValue fn;
    if (find_metamethod(o, MT_TOSTRING, fn)) {
        if (!call_metamethod(fn, o, 0, nullptr, dest)) return false;
        if (dest._type == OT_STRING) return true;
        raise_error("_tostring must return a string");
        return false;
    }
    std::string name;
    sq_object_name(o, name);
    dest = SQValue(SQString::create(ss, name.data(), static_cast<SQInteger>(name.size())));
    return true;
}

bool SQVM::type_of(const SQObject &o, SQValue &dest) {
    SQValue fn;
    if ((o._type == OT_INSTANCE || o._type == OT_TABLE || o._type == OT_USERDATA) &&
        find_metamethod(o, MT_TYPEOF, fn)) {
        return call_metamethod(fn, o, 0, nullptr, dest);
    }
    dest = SQValue(SQString::create(ss, sq_typename(o._type)));
    return true;
}

bool SQVM::clone(const SQObject &o, SQValue &dest) {
    switch (o._type) {
        case OT_TABLE: dest = SQValue(sq_table(o)->clone()); break;
        case OT_ARRAY: dest = SQValue(sq_array(o)->clone()); return true;
        case OT_INSTANCE: dest = SQValue(sq_instance(o)->clone()); break;
        default: raise_error("cloning a %s", sq_typename(o._type)); return false;
    }
    SQValue fn, ignored;
    if (!find_metamethod(dest, MT_CLONED, fn)) return true;
    return call_metamethod(fn, dest, 1, &o, ignored);
}

bool SQVM::instance_of(const SQObject &o, const SQObject &cls, bool &result) {
    if (cls._type != OT_CLASS) {
        raise_error("cannot apply instanceof between a %s and a %s", sq_typename(o._type), sq_typename(cls._type));
        return false;
    }
    result = o._type == OT_INSTANCE && sq_instance(o)->instance_of(sq_class(cls));
    return true;
}
