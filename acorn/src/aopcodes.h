// Acorn bytecode: register machine, one fixed-size instruction per step.
//
// A frame's registers are its stack slots from the frame base: R[0] is
// `this`, R[1..nparams-1] the declared parameters, then (for variadic
// functions) `vargv`, then locals and temporaries up to the prototype's
// stacksize. Register operands are 8 bits, so a function has at most 255
// registers. NO_REG (0xFF) in an operand that allows it means "none".
// K[n] is the prototype's literal n. Jump offsets in `d` are relative to the
// instruction after the jump.
#pragma once

#include <cstdint>

enum SQOpcode : uint8_t {
    // --- loads and moves ---
    OP_LOADK,      // R[a] = K[d]
    OP_LOADINT,    // R[a] = integer d
    OP_LOADFLOAT,  // R[a] = float whose bit pattern is d
    OP_LOADBOOL,   // R[a] = (b != 0)
    OP_LOADNULLS,  // R[a .. a+d-1] = null
    OP_LOADROOT,   // R[a] = the closure's root table (`::`)
    OP_LOADCONST,  // unused by the compiler: constants are folded at compile time
    OP_MOVE,       // R[a] = R[b]

    // --- slots (full semantics: delegates, metamethods, default delegates) ---
    OP_GETK,       // R[a] = R[b][K[d]]; when b == 0 (`this`) and the slot is
                   // missing, falls back to the closure's root table
                   // before raising "the index '%s' does not exist"
    OP_GET,        // R[a] = R[b][R[c]]
    OP_SET,        // R[b][R[c]] = R[d]; then R[a] = R[d] unless a == NO_REG
    OP_SETK,       // R[b][K[c]] = R[d]; then R[a] = R[d] unless a == NO_REG
                   // (c is a literal index < 256; larger keys use OP_SET)
    OP_NEWSLOT,    // R[b][R[c]] <- R[d]; then R[a] = R[d] unless a == NO_REG
    OP_NEWMEMBER,  // class member: R[b][R[c]] <- R[d & 0xFF]; a bit 0: static;
                   // a bit 1: attributes in R[(d >> 8) & 0xFF]
    OP_DELETE,     // R[a] = delete R[b][R[c]]
    OP_GETOUTER,   // R[a] = outer[b]
    OP_SETOUTER,   // outer[b] = R[c]; then R[a] = R[c] unless a == NO_REG
    OP_GETBASE,    // R[a] = base class of the running method's class (or null)

    // --- arithmetic, R[a] = R[b] op R[c] ---
    // Arithmetic and the comparisons up to OP_GE take K[d] as their right
    // operand when c is NO_REG.
    OP_ADD, OP_SUB, OP_MUL, OP_DIV, OP_MOD,
    OP_BAND, OP_BOR, OP_BXOR, OP_SHL, OP_SHR, OP_USHR,
    // --- comparisons, R[a] = bool ---
    OP_EQ, OP_NE, OP_LT, OP_LE, OP_GT, OP_GE,
    OP_CMP3,       // R[a] = R[b] <=> R[c] (integer <0, 0, >0)
    OP_INSTANCEOF, // R[a] = R[b] instanceof R[c]
    OP_IN,         // R[a] = R[b] in R[c]
    // --- unary, R[a] = op R[b] ---
    OP_UNM, OP_NOT, OP_BNOT, OP_TYPEOF, OP_CLONE,
    // Increment in place by the signed amount c - 128 (c = 129: +1,
    // c = 127: -1): R[a] = R[b] + (c - 128). Works on integers, floats, and
    // metamethod `_add` like OP_ADD with an integer operand.
    OP_INCR,

    // --- control ---
    OP_JMP,        // ip += d
    OP_JZ,         // if R[a] is false: ip += d
    OP_JNZ,        // if R[a] is true: ip += d

    // --- calls ---
    // R[a] = R[b](R[c], R[c+1], ..., R[c+d-1]); R[c] is `this`, so d >= 1.
    // The callee's frame starts at R[c]. a may equal b or c.
    OP_CALL,
    OP_TAILCALL,   // like OP_CALL, reusing the current frame when the callee is a script closure
    // Method lookup for `obj.name(...)`: R[a] = R[b][K[d]]; R[c] = R[b].
    // Uses the same lookup as OP_GETK (without the root fallback unless b == 0).
    // a may equal b, and c may equal d: every operand is read before either
    // register is written.
    OP_PREPCALLK,
    OP_PREPCALL,   // as OP_PREPCALLK with the key in R[d]

    // --- object construction ---
    OP_NEWTABLE,   // R[a] = {} (d: expected slot count)
    OP_NEWARRAY,   // R[a] = [] (d: expected element count)
    OP_APPEND,     // R[a].append(R[b])   (array literals)
    OP_NEWCLASS,   // R[a] = class extends R[b] (b == NO_REG: no base), attributes R[c] (NO_REG: none)
    // R[a] = closure of child prototype d; b: register holding the bound
    // environment (`function[env]()`), NO_REG for none. Captures outers as
    // the child's outer list says and copies default parameter values from
    // the registers the child's `defaultparams` name.
    OP_CLOSURE,

    // --- returns, generators, exceptions ---
    OP_RETURN,     // return R[a] if b != 0, else return null
    OP_YIELD,      // yield R[a] if b != 0, else yield null (generator functions only)
    OP_RESUME,     // R[a] = resume R[b]
    OP_PUSHTRAP,   // install a handler at ip + d; the thrown value goes to R[a]
    OP_POPTRAP,    // remove the d innermost handlers
    OP_THROW,      // throw R[a]
    // Iteration. R[b], R[b+1], R[b+2] hold key, value and the iterator state
    // (null before the first step). Advances over R[a] (table, array,
    // string, class, instance with or without _nexti, generator); when
    // nothing is left, ip += d.
    OP_FOREACH,
    OP_CLOSE,      // close the open outers at registers >= a (end of a loop-body scope)

    OP_COUNT
};

struct SQInstruction {
    uint8_t op;
    uint8_t a;
    uint8_t b;
    uint8_t c;
    int32_t d;
};
static_assert(sizeof(SQInstruction) == 8, "instructions are 8 bytes");

constexpr uint8_t NO_REG = 0xFF;

// Mnemonic of an opcode, for the disassembler and error reports.
const char *sq_opcode_name(uint8_t op);
