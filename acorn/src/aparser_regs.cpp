// Where expression values live: moving an Exp into registers, and the
// peepholes that avoid copies.
#include <algorithm>
#include <cstring>

#include "aparser.h"

namespace {

// Instructions whose only effect is writing R[a] from their other operands,
// so the destination can be moved to another register.
bool writes_only_a(uint8_t op) {
    switch (op) {
        case OP_LOADK: case OP_LOADINT: case OP_LOADFLOAT: case OP_LOADBOOL: case OP_LOADROOT:
        case OP_MOVE: case OP_GETK: case OP_GET: case OP_GETOUTER: case OP_GETBASE:
        case OP_ADD: case OP_SUB: case OP_MUL: case OP_DIV: case OP_MOD: case OP_BAND: case OP_BOR:
        case OP_BXOR: case OP_SHL: case OP_SHR: case OP_USHR: case OP_EQ: case OP_NE: case OP_LT:
        case OP_LE: case OP_GT: case OP_GE: case OP_CMP3: case OP_INSTANCEOF: case OP_IN:
        case OP_UNM: case OP_NOT: case OP_BNOT: case OP_TYPEOF: case OP_CLONE: case OP_INCR:
        case OP_CALL: case OP_CLOSURE: case OP_DELETE: case OP_RESUME: return true;
        default: return false;
    }
}

}  // namespace

int Compiler::exp_base(const Exp &e) const {
    int base = fs_->freereg();
    auto consider = [&](int r) {
        if (fs_->is_temp(r)) base = std::min(base, r);
    };
    switch (e.kind) {
        case ExpKind::Temp: consider(e.reg); break;
        case ExpKind::Slot: consider(e.reg); consider(e.key); break;
        case ExpKind::SlotK: consider(e.reg); break;
        default: break;
    }
    return base;
}

void Compiler::load_const(const SQValue &v, int target) {
    switch (v._type) {
        case OT_INTEGER:
            if (sq_int(v) >= INT32_MIN && sq_int(v) <= INT32_MAX) {
                fs_->emit(OP_LOADINT, target, 0, 0, static_cast<int32_t>(sq_int(v)));
                return;
            }
            break;
        case OT_FLOAT: {
            int32_t bits;
            SQFloat f = sq_float(v);
            std::memcpy(&bits, &f, sizeof bits);
            fs_->emit(OP_LOADFLOAT, target, 0, 0, bits);
            return;
        }
        case OT_BOOL: fs_->emit(OP_LOADBOOL, target, sq_int(v) ? 1 : 0); return;
        case OT_NULL: fs_->emit(OP_LOADNULLS, target, 0, 0, 1); return;
        default: break;
    }
    fs_->emit(OP_LOADK, target, 0, 0, fs_->literal(v));
}

bool Compiler::retarget_last(int from, int to) {
    if (!fs_->last_is_unlabelled()) return false;
    SQInstruction &last = fs_->at(fs_->pc() - 1);
    if (last.a != from || !writes_only_a(last.op)) return false;
    last.a = static_cast<uint8_t>(to);
    return true;
}

void Compiler::to_reg(Exp &e, int target) {
    switch (e.kind) {
        case ExpKind::Void: error("expression expected");
        case ExpKind::Const: load_const(e.val, target); break;
        case ExpKind::Local:
        case ExpKind::Temp:
            if (e.reg != target && !(e.kind == ExpKind::Temp && retarget_last(e.reg, target)))
                fs_->emit(OP_MOVE, target, e.reg);
            break;
        case ExpKind::Outer: fs_->emit(OP_GETOUTER, target, e.reg); break;
        case ExpKind::Slot: fs_->emit(OP_GET, target, e.reg, e.key); break;
        case ExpKind::SlotK: fs_->emit(OP_GETK, target, e.reg, 0, e.key); break;
    }
}

int Compiler::to_any_reg(Exp &e) {
    if (e.kind == ExpKind::Local || e.kind == ExpKind::Temp) return e.reg;
    int base = exp_base(e);
    fs_->set_freereg(base);
    int t = fs_->alloc_reg();
    to_reg(e, t);
    e = Exp{ExpKind::Temp, t};
    return t;
}

int Compiler::to_next_reg(Exp &e) {
    int r = to_any_reg(e);
    if (e.kind == ExpKind::Temp && r == fs_->freereg() - 1) return r;
    int t = fs_->alloc_reg();
    fs_->emit(OP_MOVE, t, r);
    e = Exp{ExpKind::Temp, t};
    return t;
}

void Compiler::slot_key_to_reg(Exp &e) {
    int k = fs_->alloc_reg();
    fs_->emit(OP_LOADK, k, 0, 0, e.key);
    e.kind = ExpKind::Slot;
    e.key = k;
}

void Compiler::discard(Exp &e) {
    if (e.postfix_copy_pc >= 0 && e.postfix_copy_pc == fs_->pc() - 2 && fs_->last_is_unlabelled()) {
        fs_->remove_instruction(e.postfix_copy_pc);
        return;
    }
    if (e.kind == ExpKind::Temp && fs_->last_is_unlabelled()) {
        SQInstruction &last = fs_->at(fs_->pc() - 1);
        bool stores = last.op == OP_SET || last.op == OP_SETK || last.op == OP_NEWSLOT || last.op == OP_SETOUTER;
        if (stores && last.a == e.reg) last.a = NO_REG;
        return;
    }
    if (e.kind == ExpKind::Slot || e.kind == ExpKind::SlotK || e.kind == ExpKind::Outer) to_any_reg(e);
}
