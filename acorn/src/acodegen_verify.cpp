// Checks that a prototype only refers to registers, literals, outers, child
// functions and jump targets it has, so that running it cannot read or
// write outside its frame or its tables. Loaded bytecode passes through it.
#include <string>

#include "afuncproto.h"

namespace {

struct Rejection {
    const char *reason;
};

class Verifier {
   public:
    Verifier(const SQFunctionProto &fn, const SQFunctionProto *parent) : fn_(fn), parent_(parent) {}

    bool run(std::string &why) {
        try {
            check_header();
            for (size_t pc = 0; pc < fn_.code.size(); ++pc) check_instruction(static_cast<int64_t>(pc));
            check_debug_records();
            return true;
        } catch (const Rejection &r) {
            why = r.reason;
            return false;
        }
    }

   private:
    [[noreturn]] static void fail(const char *reason) { throw Rejection{reason}; }

    void require(bool ok, const char *what) const {
        if (!ok) fail(what);
    }
    void reg(int64_t r) const { require(r >= 0 && r < fn_.stacksize, "register out of range"); }
    void reg_or_none(int64_t r) const {
        if (r != NO_REG) reg(r);
    }
    void literal(int64_t k) const {
        require(k >= 0 && k < static_cast<int64_t>(fn_.literals.size()), "literal index out of range");
    }
    void jump(int64_t pc, int64_t d) const {
        int64_t target = pc + 1 + d;
        require(target >= 0 && target < static_cast<int64_t>(fn_.code.size()), "jump out of range");
    }
    void outer(int64_t idx) const {
        require(idx >= 0 && idx < static_cast<int64_t>(fn_.outers.size()), "free variable index out of range");
    }

    void check_header() const {
        require(fn_.stacksize >= 1 && fn_.stacksize <= 255, "bad stack size");
        require(fn_.nparams >= 1 && fn_.nparams + (fn_.varparams ? 1 : 0) <= fn_.stacksize, "bad parameter count");
        require(static_cast<int64_t>(fn_.parameters.size()) == fn_.nparams, "parameter names do not match");
        require(!fn_.code.empty(), "function without code");
        uint8_t last = fn_.code.back().op;
        require(last == OP_RETURN || last == OP_JMP || last == OP_THROW, "code runs past its end");
        require(static_cast<int64_t>(fn_.defaultparams.size()) < fn_.nparams, "too many default parameters");
        require(parent_ || fn_.outers.empty(), "outermost function with free variables");
        if (parent_) {
            for (SQInteger r : fn_.defaultparams)
                require(r >= 0 && r < parent_->stacksize, "default parameter register out of range");
        }
        for (const SQOuterVarInfo &o : fn_.outers) {
            require(o.kind == OUTER_FROM_LOCAL || o.kind == OUTER_FROM_OUTER, "bad free variable kind");
            int64_t limit = o.kind == OUTER_FROM_LOCAL ? parent_->stacksize : static_cast<int64_t>(parent_->outers.size());
            require(o.index >= 0 && o.index < limit, "free variable source out of range");
        }
        for (const SQValue &child : fn_.functions) require(child._type == OT_FUNCPROTO, "bad child function");
    }

    void check_instruction(int64_t pc) const {
        const SQInstruction &i = fn_.code[static_cast<size_t>(pc)];
        switch (i.op) {
            case OP_LOADK: reg(i.a); literal(i.d); break;
            case OP_LOADINT: case OP_LOADFLOAT: case OP_LOADBOOL: case OP_LOADROOT: case OP_GETBASE:
            case OP_NEWTABLE: case OP_NEWARRAY: reg(i.a); break;
            case OP_LOADNULLS: require(i.d >= 1 && i.a + int64_t{i.d} <= fn_.stacksize, "register out of range"); break;
            case OP_MOVE: case OP_UNM: case OP_NOT: case OP_BNOT: case OP_TYPEOF: case OP_CLONE: case OP_INCR:
            case OP_APPEND: case OP_RESUME: reg(i.a); reg(i.b); break;
            case OP_GETK: reg(i.a); reg(i.b); literal(i.d); break;
            case OP_ADD: case OP_SUB: case OP_MUL: case OP_DIV: case OP_MOD: case OP_BAND: case OP_BOR:
            case OP_BXOR: case OP_SHL: case OP_SHR: case OP_USHR: case OP_EQ: case OP_NE: case OP_LT: case OP_LE:
            case OP_GT: case OP_GE:
                reg(i.a); reg(i.b);
                if (i.c == NO_REG) literal(i.d);
                else reg(i.c);
                break;
            case OP_GET: case OP_DELETE: case OP_CMP3: case OP_INSTANCEOF: case OP_IN:
                reg(i.a); reg(i.b); reg(i.c); break;
            case OP_SET: case OP_NEWSLOT: reg_or_none(i.a); reg(i.b); reg(i.c); reg(i.d); break;
            case OP_SETK: reg_or_none(i.a); reg(i.b); literal(i.c); reg(i.d); break;
            case OP_NEWMEMBER:
                require(i.a <= 3 && i.d >= 0 && i.d <= 0xFFFF, "bad member flags");
                reg(i.b); reg(i.c); reg(i.d & 0xFF);
                if (i.a & 2) reg((i.d >> 8) & 0xFF);
                break;
            case OP_GETOUTER: reg(i.a); outer(i.b); break;
            case OP_SETOUTER: reg_or_none(i.a); outer(i.b); reg(i.c); break;
            case OP_JMP: jump(pc, i.d); break;
            case OP_JZ: case OP_JNZ: case OP_PUSHTRAP: reg(i.a); jump(pc, i.d); break;
            case OP_CALL: case OP_TAILCALL:
                reg(i.a); reg(i.b);
                require(i.d >= 1 && i.c + int64_t{i.d} <= fn_.stacksize, "call arguments out of range");
                break;
            case OP_PREPCALLK: reg(i.a); reg(i.b); reg(i.c); literal(i.d); break;
            case OP_PREPCALL: reg(i.a); reg(i.b); reg(i.c); reg(i.d); break;
            case OP_NEWCLASS: reg(i.a); reg_or_none(i.b); reg_or_none(i.c); break;
            case OP_CLOSURE:
                reg(i.a); reg_or_none(i.b);
                require(i.d >= 0 && i.d < static_cast<int64_t>(fn_.functions.size()), "function index out of range");
                break;
            case OP_RETURN: if (i.b) reg(i.a); break;
            case OP_YIELD: require(fn_.generator, "yield outside a generator"); if (i.b) reg(i.a); break;
            case OP_POPTRAP: require(i.d >= 1, "bad handler count"); break;
            case OP_THROW: reg(i.a); break;
            case OP_FOREACH: reg(i.a); reg(i.b + 3); jump(pc, i.d); break;
            case OP_CLOSE: break;
            default: fail("invalid instruction");
        }
    }

    void check_debug_records() const {
        int64_t ncode = static_cast<int64_t>(fn_.code.size());
        int64_t previous = 0;
        for (const SQLineInfo &li : fn_.lineinfos) {
            require(li.op >= previous && li.op < ncode, "line records out of order");
            previous = li.op;
        }
        for (const SQLocalVarInfo &lv : fn_.localvars) {
            require(lv.name._type == OT_STRING, "bad local variable name");
            reg(lv.reg);
            require(lv.start_op >= 0 && lv.start_op <= lv.end_op && lv.end_op <= ncode, "bad local variable range");
        }
    }

    const SQFunctionProto &fn_;
    const SQFunctionProto *parent_;
};

}  // namespace

bool sq_verify_proto(const SQFunctionProto *proto, const SQFunctionProto *parent, std::string &why) {
    return Verifier(*proto, parent).run(why);
}
