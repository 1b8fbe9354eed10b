#include <cstdio>

#include "acompiler.h"
#include "afuncproto.h"

namespace {

void append_value(const SQObject &v, std::string &out) {
    char buf[64];
    switch (v._type) {
        case OT_INTEGER: std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(sq_int(v))); break;
        case OT_FLOAT: std::snprintf(buf, sizeof buf, "%g", static_cast<double>(sq_float(v))); break;
        case OT_BOOL: std::snprintf(buf, sizeof buf, "%s", sq_int(v) ? "true" : "false"); break;
        case OT_NULL: std::snprintf(buf, sizeof buf, "null"); break;
        case OT_STRING:
            out += '"';
            out.append(sq_str(v)->data, static_cast<size_t>(sq_str(v)->len));
            out += '"';
            return;
        default: std::snprintf(buf, sizeof buf, "<%s>", sq_typename(v._type)); break;
    }
    out += buf;
}

bool uses_literal(const SQInstruction &i) {
    return i.op == OP_LOADK || i.op == OP_GETK || i.op == OP_PREPCALLK ||
           (i.op >= OP_ADD && i.op <= OP_GE && i.c == NO_REG);
}

void disassemble(const SQFunctionProto *proto, const std::string &indent, std::string &out) {
    char buf[160];
    out += indent + "function ";
    if (proto->name._type == OT_STRING) out += sq_str(proto->name)->data;
    else out += "<anonymous>";
    std::snprintf(buf, sizeof buf, " params=%d%s stack=%d%s\n", static_cast<int>(proto->nparams),
                  proto->varparams ? "+varargs" : "", static_cast<int>(proto->stacksize),
                  proto->generator ? " generator" : "");
    out += buf;
    for (size_t i = 0; i < proto->code.size(); ++i) {
        const SQInstruction &ins = proto->code[i];
        std::snprintf(buf, sizeof buf, "%s%4zu [%3d] %-10s %3d %3d %3d %d", indent.c_str(), i,
                      static_cast<int>(proto->line_of(static_cast<SQInteger>(i))), sq_opcode_name(ins.op), ins.a,
                      ins.b, ins.c, ins.d);
        out += buf;
        bool setk = ins.op == OP_SETK;
        size_t lit = static_cast<size_t>(setk ? ins.c : ins.d);
        if ((uses_literal(ins) || setk) && lit < proto->literals.size()) {
            out += "  ; ";
            append_value(proto->literals[lit], out);
        }
        out += '\n';
    }
    for (const SQValue &child : proto->functions) disassemble(sq_proto(child), indent + "  ", out);
}

}  // namespace

void sq_disassemble(const SQFunctionProto *proto, std::string &out) { disassemble(proto, "", out); }
