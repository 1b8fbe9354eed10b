#include "aparser.h"

namespace {

int binary_precedence(int kind) {
    switch (kind) {
        case TK_OR: return 1;
        case TK_AND:
        case TK_IN: return 2;
        case '|': return 3;
        case '^': return 4;
        case '&': return 5;
        case TK_EQ:
        case TK_NE:
        case TK_CMP3: return 6;
        case '<':
        case '>':
        case TK_LE:
        case TK_GE:
        case TK_INSTANCEOF: return 7;
        case TK_SHL:
        case TK_SHR:
        case TK_USHR: return 8;
        case '+':
        case '-': return 9;
        case '*':
        case '/':
        case '%': return 10;
        default: return 0;
    }
}

uint8_t binary_opcode(int kind) {
    switch (kind) {
        case '+': case TK_PLUSEQ: return OP_ADD;
        case '-': case TK_MINUSEQ: return OP_SUB;
        case '*': case TK_MULEQ: return OP_MUL;
        case '/': case TK_DIVEQ: return OP_DIV;
        case '%': case TK_MODEQ: return OP_MOD;
        case '&': case TK_ANDEQ: return OP_BAND;
        case '|': case TK_OREQ: return OP_BOR;
        case '^': case TK_XOREQ: return OP_BXOR;
        case TK_SHL: case TK_SHLEQ: return OP_SHL;
        case TK_SHR: case TK_SHREQ: return OP_SHR;
        case TK_USHR: case TK_USHREQ: return OP_USHR;
        case TK_EQ: return OP_EQ;
        case TK_NE: return OP_NE;
        case '<': return OP_LT;
        case TK_LE: return OP_LE;
        case '>': return OP_GT;
        case TK_GE: return OP_GE;
        case TK_CMP3: return OP_CMP3;
        case TK_INSTANCEOF: return OP_INSTANCEOF;
        case TK_IN: return OP_IN;
        default: return OP_COUNT;
    }
}

bool is_assignment_token(int kind) {
    switch (kind) {
        case '=': case TK_NEWSLOT: case TK_PLUSEQ: case TK_MINUSEQ: case TK_MULEQ: case TK_DIVEQ:
        case TK_MODEQ: case TK_SHLEQ: case TK_SHREQ: case TK_USHREQ: case TK_ANDEQ: case TK_OREQ:
        case TK_XOREQ: return true;
        default: return false;
    }
}

// `x + k` with a small integer constant k runs as one OP_INCR, which has
// exactly OP_ADD's semantics for an integer operand.
bool small_increment(uint8_t opcode, const Exp &rhs, int &amount) {
    if (opcode != OP_ADD || rhs.kind != ExpKind::Const || rhs.val._type != OT_INTEGER) return false;
    if (sq_int(rhs.val) < -128 || sq_int(rhs.val) > 127) return false;
    amount = 128 + static_cast<int>(sq_int(rhs.val));
    return true;
}

// Arithmetic and comparisons read a number or string constant on their
// right straight from the literals, without loading it into a register.
bool literal_operand(uint8_t opcode, const Exp &rhs) {
    if (opcode < OP_ADD || opcode > OP_GE || rhs.kind != ExpKind::Const) return false;
    return rhs.val._type == OT_INTEGER || rhs.val._type == OT_FLOAT || rhs.val._type == OT_STRING;
}

}  // namespace

// --- expressions ----------------------------------------------------------

void Compiler::comma_expression(Exp &e) {
    int base = fs_->freereg();
    expression(e);
    while (accept(',')) {
        discard(e);
        fs_->set_freereg(base);
        expression(e);
    }
}

void Compiler::expression(Exp &e) {
    DepthGuard guard(*this);
    binary(e, 1);
    if (is_assignment_token(tok_.kind)) {
        assignment(e, tok_.kind);
    } else if (tok_.kind == '?') {
        ternary(e);
    }
}

void Compiler::binary(Exp &e, int min_prec) {
    unary(e);
    for (;;) {
        int op = tok_.kind;
        int prec = binary_precedence(op);
        if (prec == 0 || prec < min_prec) return;
        next();
        if (op == TK_AND || op == TK_OR) {
            logical(e, op, prec);
            continue;
        }
        int base = exp_base(e);
        if (e.kind != ExpKind::Const) to_any_reg(e);
        Exp rhs;
        {
            DepthGuard guard(*this);
            binary(rhs, prec + 1);
        }
        uint8_t opcode = binary_opcode(op);
        SQValue folded;
        if (e.kind == ExpKind::Const && rhs.kind == ExpKind::Const && sq_fold_arith(opcode, e.val, rhs.val, folded)) {
            e = Exp{ExpKind::Const};
            e.val = folded;
            continue;
        }
        emit_binary(e, rhs, opcode, base);
    }
}

void Compiler::emit_binary(Exp &lhs, Exp &rhs, uint8_t opcode, int base) {
    int amount;
    if (lhs.kind != ExpKind::Const && small_increment(opcode, rhs, amount)) {
        int l = to_any_reg(lhs);
        fs_->set_freereg(base);
        int t = fs_->alloc_reg();
        fs_->emit(OP_INCR, t, l, amount);
        lhs = Exp{ExpKind::Temp, t};
        return;
    }
    if (lhs.kind != ExpKind::Const && literal_operand(opcode, rhs)) {
        int l = to_any_reg(lhs);
        fs_->set_freereg(base);
        int t = fs_->alloc_reg();
        fs_->emit(opcode, t, l, NO_REG, fs_->literal(rhs.val));
        lhs = Exp{ExpKind::Temp, t};
        return;
    }
    int r = to_any_reg(rhs);
    int l = to_any_reg(lhs);
    fs_->set_freereg(base);
    int t = fs_->alloc_reg();
    fs_->emit(opcode, t, l, r);
    lhs = Exp{ExpKind::Temp, t};
}

// `a && b` / `a || b` leave whichever operand decided the outcome.
void Compiler::logical(Exp &e, int op, int prec) {
    int base = exp_base(e);
    int r = to_any_reg(e);
    fs_->set_freereg(base);
    int t = fs_->alloc_reg();
    if (r != t) fs_->emit(OP_MOVE, t, r);
    int jump = fs_->emit(op == TK_AND ? OP_JZ : OP_JNZ, t);
    Exp rhs;
    {
        DepthGuard guard(*this);
        binary(rhs, prec + 1);
    }
    to_reg(rhs, t);
    fs_->set_freereg(t + 1);
    fs_->patch_to_here(jump);
    e = Exp{ExpKind::Temp, t};
}

void Compiler::ternary(Exp &e) {
    next();
    int base = exp_base(e);
    int c = to_any_reg(e);
    fs_->set_freereg(base);
    int to_else = fs_->emit(OP_JZ, c);
    Exp branch;
    expression(branch);
    to_reg(branch, base);
    int to_end = fs_->emit(OP_JMP);
    fs_->patch_to_here(to_else);
    expect(':');
    fs_->set_freereg(base);
    expression(branch);
    to_reg(branch, base);
    fs_->patch_to_here(to_end);
    fs_->set_freereg(base);
    e = Exp{ExpKind::Temp, fs_->alloc_reg()};
}

void Compiler::assignment(Exp &e, int op) {
    if (!is_assignable(e)) error("can't assign expression");
    next();
    if (op == TK_NEWSLOT && (e.kind == ExpKind::Local || e.kind == ExpKind::Outer))
        error("can't 'create' a local slot");
    uint8_t arith = binary_opcode(op);
    int base = exp_base(e);
    Exp rhs;
    if (e.kind == ExpKind::Local) {
        expression(rhs);
        if (op == '=') {
            to_reg(rhs, e.reg);
        } else {
            compound_update(e.reg, rhs, arith);
        }
        fs_->set_freereg(base);
        return;
    }
    if (e.kind == ExpKind::Outer) {
        int value;
        if (op == '=') {
            expression(rhs);
            value = to_next_reg(rhs);
        } else {
            value = fs_->alloc_reg();
            fs_->emit(OP_GETOUTER, value, e.reg);
            expression(rhs);
            compound_update(value, rhs, arith);
        }
        fs_->emit(OP_SETOUTER, NO_REG, e.reg, value);
        fs_->set_freereg(value + 1);
        e = Exp{ExpKind::Temp, value};
        return;
    }
    if (e.kind == ExpKind::SlotK && (op == TK_NEWSLOT || e.key > 255)) slot_key_to_reg(e);
    int value;
    if (op == '=' || op == TK_NEWSLOT) {
        expression(rhs);
        value = to_any_reg(rhs);
    } else {
        value = fs_->alloc_reg();
        to_reg(e, value);
        expression(rhs);
        compound_update(value, rhs, arith);
    }
    fs_->set_freereg(base);
    int result = fs_->alloc_reg();
    if (op == TK_NEWSLOT) fs_->emit(OP_NEWSLOT, result, e.reg, e.key, value);
    else if (e.kind == ExpKind::SlotK) fs_->emit(OP_SETK, result, e.reg, e.key, value);
    else fs_->emit(OP_SET, result, e.reg, e.key, value);
    e = Exp{ExpKind::Temp, result};
}

// R[target] = R[target] op rhs, for compound assignments.
void Compiler::compound_update(int target, Exp &rhs, uint8_t arith) {
    int amount;
    if (small_increment(arith, rhs, amount)) fs_->emit(OP_INCR, target, target, amount);
    else if (literal_operand(arith, rhs)) fs_->emit(arith, target, target, NO_REG, fs_->literal(rhs.val));
    else fs_->emit(arith, target, target, to_any_reg(rhs));
}

void Compiler::unary_operator(Exp &e, uint8_t op) {
    int base = exp_base(e);
    int r = to_any_reg(e);
    fs_->set_freereg(base);
    int t = fs_->alloc_reg();
    fs_->emit(op, t, r);
    e = Exp{ExpKind::Temp, t};
}

void Compiler::unary(Exp &e) {
    DepthGuard guard(*this);
    int op = tok_.kind;
    switch (op) {
        case '-':
            next();
            unary(e);
            if (e.kind == ExpKind::Const && e.val._type == OT_INTEGER)
                e.val = SQValue(static_cast<SQInteger>(SQUnsignedInteger(0) - static_cast<SQUnsignedInteger>(sq_int(e.val))));
            else if (e.kind == ExpKind::Const && e.val._type == OT_FLOAT) e.val = SQValue(-sq_float(e.val));
            else unary_operator(e, OP_UNM);
            return;
        case '!':
            next();
            unary(e);
            if (e.kind == ExpKind::Const && ((e.val._type & SQOBJECT_NUMERIC) || e.val._type == OT_BOOL || e.val.is_null()))
                e.val = SQValue::boolean(sq_isfalse(e.val));
            else unary_operator(e, OP_NOT);
            return;
        case '~':
            next();
            unary(e);
            if (e.kind == ExpKind::Const && e.val._type == OT_INTEGER) e.val = SQValue(static_cast<SQInteger>(~sq_int(e.val)));
            else unary_operator(e, OP_BNOT);
            return;
        case TK_TYPEOF: next(); unary(e); unary_operator(e, OP_TYPEOF); return;
        case TK_CLONE: next(); unary(e); unary_operator(e, OP_CLONE); return;
        case TK_RESUME: next(); unary(e); unary_operator(e, OP_RESUME); return;
        case TK_DELETE: next(); delete_expression(e); return;
        case TK_PLUSPLUS:
        case TK_MINUSMINUS:
            next();
            prefixed(e);
            prefix_increment(e, op == TK_PLUSPLUS ? 1 : -1);
            return;
        default: prefixed(e); return;
    }
}

void Compiler::delete_expression(Exp &e) {
    prefixed(e);
    if (e.kind != ExpKind::Slot && e.kind != ExpKind::SlotK) error("can't delete an expression");
    if (e.kind == ExpKind::SlotK) slot_key_to_reg(e);
    fs_->set_freereg(exp_base(e));
    int t = fs_->alloc_reg();
    fs_->emit(OP_DELETE, t, e.reg, e.key);
    e = Exp{ExpKind::Temp, t};
}

void Compiler::prefix_increment(Exp &e, int delta) {
    if (!is_assignable(e)) error("can't '++' or '--' an expression");
    int amount = 128 + delta;
    if (e.kind == ExpKind::Local) {
        fs_->emit(OP_INCR, e.reg, e.reg, amount);
        return;
    }
    if (e.kind == ExpKind::Outer) {
        int t = fs_->alloc_reg();
        fs_->emit(OP_GETOUTER, t, e.reg);
        fs_->emit(OP_INCR, t, t, amount);
        fs_->emit(OP_SETOUTER, NO_REG, e.reg, t);
        e = Exp{ExpKind::Temp, t};
        return;
    }
    if (e.kind == ExpKind::SlotK && e.key > 255) slot_key_to_reg(e);
    int base = exp_base(e);
    int t = fs_->alloc_reg();
    to_reg(e, t);
    fs_->emit(OP_INCR, t, t, amount);
    fs_->set_freereg(base);
    int result = fs_->alloc_reg();
    fs_->emit(e.kind == ExpKind::SlotK ? OP_SETK : OP_SET, result, e.reg, e.key, t);
    e = Exp{ExpKind::Temp, result};
}

void Compiler::postfix_increment(Exp &e, int delta) {
    if (!is_assignable(e)) error("can't '++' or '--' an expression");
    int amount = 128 + delta;
    if (e.kind == ExpKind::Local) {
        int t = fs_->alloc_reg();
        int copy = fs_->emit(OP_MOVE, t, e.reg);
        fs_->emit(OP_INCR, e.reg, e.reg, amount);
        e = Exp{ExpKind::Temp, t};
        e.postfix_copy_pc = copy;
        return;
    }
    if (e.kind == ExpKind::Outer) {
        int t = fs_->alloc_reg();
        int updated = fs_->alloc_reg();
        fs_->emit(OP_GETOUTER, t, e.reg);
        fs_->emit(OP_INCR, updated, t, amount);
        fs_->emit(OP_SETOUTER, NO_REG, e.reg, updated);
        fs_->set_freereg(t + 1);
        e = Exp{ExpKind::Temp, t};
        return;
    }
    if (e.kind == ExpKind::SlotK && e.key > 255) slot_key_to_reg(e);
    int base = exp_base(e);
    int old = fs_->alloc_reg();
    int updated = fs_->alloc_reg();
    to_reg(e, old);
    fs_->emit(OP_INCR, updated, old, amount);
    fs_->emit(e.kind == ExpKind::SlotK ? OP_SETK : OP_SET, NO_REG, e.reg, e.key, updated);
    fs_->set_freereg(base);
    int result = fs_->alloc_reg();
    if (result != old) fs_->emit(OP_MOVE, result, old);
    e = Exp{ExpKind::Temp, result};
}

void Compiler::prefixed(Exp &e) {
    primary(e);
    for (;;) {
        switch (tok_.kind) {
            case '.': {
                next();
                std::string name = expect_identifier();
                member_access(e, name);
                break;
            }
            case '[':
                if (tok_.newline_before) return;
                next();
                index_access(e);
                break;
            case '(': call(e); break;
            case TK_PLUSPLUS:
            case TK_MINUSMINUS:
                if (tok_.newline_before) return;
                postfix_increment(e, tok_.kind == TK_PLUSPLUS ? 1 : -1);
                next();
                return;
            default: return;
        }
    }
}

void Compiler::member_access(Exp &e, const std::string &name) {
    if (e.kind == ExpKind::Const && e.val._type == OT_TABLE) {
        SQValue member;
        SQValue key(SQString::create(ss_, name.data(), static_cast<SQInteger>(name.size())));
        if (!sq_table(e.val)->get(key, member)) error("invalid enum member '" + name + "'");
        e.val = member;
        return;
    }
    bool is_base = e.base_object;
    int obj = to_any_reg(e);
    e = Exp{ExpKind::SlotK, obj, fs_->string_literal(name)};
    e.base_object = is_base;
}

void Compiler::index_access(Exp &e) {
    bool is_base = e.base_object;
    int obj = to_any_reg(e);
    Exp key;
    comma_expression(key);
    expect(']');
    if (key.kind == ExpKind::Const && (key.val._type == OT_INTEGER || key.val._type == OT_STRING)) {
        e = Exp{ExpKind::SlotK, obj, fs_->literal(key.val)};
    } else {
        int k = to_any_reg(key);
        e = Exp{ExpKind::Slot, obj, k};
    }
    e.base_object = is_base;
}

void Compiler::call(Exp &e) {
    next();
    int base = exp_base(e);
    int func, self;
    bool method = e.kind == ExpKind::Slot || e.kind == ExpKind::SlotK;
    if (method && !e.base_object) {
        fs_->set_freereg(base);
        func = fs_->alloc_reg();
        self = fs_->alloc_reg();
        fs_->emit(e.kind == ExpKind::SlotK ? OP_PREPCALLK : OP_PREPCALL, func, e.reg, self, e.key);
    } else {
        func = to_any_reg(e);
        self = fs_->alloc_reg();
        fs_->emit(OP_MOVE, self, 0);
    }
    int nargs = 0;
    while (tok_.kind != ')') {
        Exp arg;
        expression(arg);
        to_next_reg(arg);
        ++nargs;
        // Commas between arguments may be left out, but one may not end them.
        if (accept(',') && tok_.kind == ')') error("expression expected, found ')'");
    }
    expect(')');
    int result = fs_->is_temp(func) ? func : self;
    fs_->emit(OP_CALL, result, func, self, nargs + 1);
    fs_->set_freereg(result + 1);
    e = Exp{ExpKind::Temp, result};
    if (allow_call_initializer_ && tok_.kind == '{') call_initializer(e);
}

// `Foo() { w = 640, ["h"] = 480 }` assigns members of the returned value.
void Compiler::call_initializer(Exp &e) {
    next();
    while (!accept('}')) {
        Exp key;
        if (accept('[')) {
            comma_expression(key);
            expect(']');
        } else {
            key.kind = ExpKind::Const;
            std::string name = expect_identifier();
            key.val = make_string(name);
        }
        int k = to_next_reg(key);
        expect('=');
        Exp value;
        expression(value);
        fs_->emit(OP_SET, NO_REG, e.reg, k, to_any_reg(value));
        fs_->set_freereg(e.reg + 1);
        accept(',');
    }
}

void Compiler::identifier(Exp &e, const std::string &name) {
    SQValue key(SQString::create(ss_, name.data(), static_cast<SQInteger>(name.size())));
    int reg = fs_->find_local(sq_str(key));
    if (reg >= 0) {
        e = Exp{ExpKind::Local, reg};
        return;
    }
    int outer = fs_->find_outer(sq_str(key));
    if (outer >= 0) {
        e = Exp{ExpKind::Outer, outer};
        return;
    }
    SQValue constant;
    if (ss_->consttable._type == OT_TABLE && sq_table(ss_->consttable)->get(key, constant)) {
        e = Exp{ExpKind::Const};
        e.val = constant;
        return;
    }
    e = Exp{ExpKind::SlotK, 0, fs_->literal(key)};
}

void Compiler::primary(Exp &e) {
    e = Exp{ExpKind::Const};
    switch (tok_.kind) {
        case TK_INTEGER: e.val = SQValue(tok_.ival); next(); return;
        case TK_FLOAT: e.val = SQValue(tok_.fval); next(); return;
        case TK_STRING:
            e.val = make_string(tok_.text);
            next();
            return;
        case TK_TRUE: e.val = SQValue::boolean(true); next(); return;
        case TK_FALSE: e.val = SQValue::boolean(false); next(); return;
        case TK_NULL: next(); return;
        case TK_LINE: e.val = SQValue(static_cast<SQInteger>(tok_.line)); next(); return;
        case TK_FILE: e.val = sourcename_; next(); return;
        case TK_IDENTIFIER: {
            std::string name = tok_.text;
            next();
            identifier(e, name);
            return;
        }
        case TK_THIS: next(); e = Exp{ExpKind::Local, 0}; return;
        case TK_BASE: {
            next();
            int t = fs_->alloc_reg();
            fs_->emit(OP_GETBASE, t);
            e = Exp{ExpKind::Temp, t};
            e.base_object = true;
            return;
        }
        case TK_DOUBLECOLON: {
            next();
            int t = fs_->alloc_reg();
            fs_->emit(OP_LOADROOT, t);
            std::string name = expect_identifier();
            e = Exp{ExpKind::SlotK, t, fs_->string_literal(name)};
            return;
        }
        case '(':
            next();
            comma_expression(e);
            expect(')');
            return;
        case '[': array_literal(e); return;
        case '{': table_literal(e); return;
        case TK_FUNCTION:
        case '@': {
            bool lambda = tok_.kind == '@';
            next();
            int t = fs_->alloc_reg();
            function_literal(t, SQValue(), lambda);
            e = Exp{ExpKind::Temp, t};
            return;
        }
        case TK_CLASS: next(); class_literal(e); return;
        default: error("expression expected");
    }
}
