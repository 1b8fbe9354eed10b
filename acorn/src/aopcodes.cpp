#include "aopcodes.h"

namespace {

constexpr const char *kOpcodeNames[OP_COUNT] = {
    "LOADK", "LOADINT", "LOADFLOAT", "LOADBOOL", "LOADNULLS", "LOADROOT", "LOADCONST", "MOVE",
    "GETK", "GET", "SET", "SETK", "NEWSLOT", "NEWMEMBER", "DELETE", "GETOUTER", "SETOUTER", "GETBASE",
    "ADD", "SUB", "MUL", "DIV", "MOD", "BAND", "BOR", "BXOR", "SHL", "SHR", "USHR",
    "EQ", "NE", "LT", "LE", "GT", "GE", "CMP3", "INSTANCEOF", "IN",
    "UNM", "NOT", "BNOT", "TYPEOF", "CLONE", "INCR",
    "JMP", "JZ", "JNZ",
    "CALL", "TAILCALL", "PREPCALLK", "PREPCALL",
    "NEWTABLE", "NEWARRAY", "APPEND", "NEWCLASS", "CLOSURE",
    "RETURN", "YIELD", "RESUME", "PUSHTRAP", "POPTRAP", "THROW", "FOREACH", "CLOSE",
};
static_assert(kOpcodeNames[OP_COUNT - 1] != nullptr, "every opcode has a name");

}  // namespace

const char *sq_opcode_name(uint8_t op) { return op < OP_COUNT ? kOpcodeNames[op] : "???"; }
