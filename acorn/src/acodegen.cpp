#include "acodegen.h"

#include <algorithm>

FuncState::FuncState(SQSharedState *ss_, FuncState *parent_, const SQValue &sourcename, const SQValue &name)
    : ss(ss_), parent(parent_), protoval(new SQFunctionProto()), proto(sq_proto(protoval)) {
    proto->sourcename = sourcename;
    proto->name = name;
    if (parent) line = parent->line;
}

int FuncState::emit(uint8_t op, int a, int b, int c, int32_t d) {
    SQInstruction ins{op, static_cast<uint8_t>(a), static_cast<uint8_t>(b), static_cast<uint8_t>(c), d};
    proto->code.push_back(ins);
    lines_.push_back(line);
    return pc() - 1;
}

int FuncState::label() {
    last_label_ = pc();
    return last_label_;
}

void FuncState::patch_jump(int jump_pc, int target) { proto->code[jump_pc].d = target - (jump_pc + 1); }

void FuncState::patch_to_here(const std::vector<int> &jumps) {
    int here = label();
    for (int j : jumps) patch_jump(j, here);
}

void FuncState::emit_jump_back(uint8_t op, int a, int target) {
    int j = emit(op, a);
    patch_jump(j, target);
}

CodeSpan FuncState::cut_code(int from) {
    CodeSpan out;
    for (int i = from; i < pc(); ++i) out.emplace_back(proto->code[i], lines_[i]);
    proto->code.resize(from);
    lines_.resize(from);
    return out;
}

void FuncState::paste_code(const CodeSpan &code) {
    for (const auto &[ins, ln] : code) {
        proto->code.push_back(ins);
        lines_.push_back(ln);
    }
}

void FuncState::remove_instruction(int at) {
    proto->code.erase(proto->code.begin() + at);
    lines_.erase(lines_.begin() + at);
}

int FuncState::alloc_reg() {
    if (freereg_ >= kMaxRegisters) throw CompileError("too many local variables or temporaries (limit 255)");
    int r = freereg_++;
    proto->stacksize = std::max<SQInteger>(proto->stacksize, freereg_);
    return r;
}

void FuncState::set_freereg(int r) {
    if (r > kMaxRegisters) throw CompileError("too many local variables or temporaries (limit 255)");
    freereg_ = r;
    proto->stacksize = std::max<SQInteger>(proto->stacksize, freereg_);
}

void FuncState::declare_local(const SQValue &name, int reg) {
    if (reg != nactive()) throw CompileError("internal compiler error: local out of order");
    int info = static_cast<int>(proto->localvars.size());
    proto->localvars.push_back({name, reg, pc(), -1});
    locals_.push_back({name, reg, info});
}

void FuncState::declare_hidden(int reg) {
    if (reg != nactive()) throw CompileError("internal compiler error: local out of order");
    locals_.push_back({SQValue(), reg, -1});
}

int FuncState::find_local(const SQString *name) const {
    for (auto it = locals_.rbegin(); it != locals_.rend(); ++it)
        if (it->info >= 0 && sq_str(it->name) == name) return it->reg;
    return -1;
}

void FuncState::mark_captured(int reg) {
    for (auto it = locals_.rbegin(); it != locals_.rend(); ++it) {
        if (it->reg == reg) {
            it->captured = true;
            return;
        }
    }
}

int FuncState::find_outer(const SQString *name) {
    for (size_t i = 0; i < proto->outers.size(); ++i)
        if (sq_str(proto->outers[i].name) == name) return static_cast<int>(i);
    if (!parent) return -1;
    SQOuterKind kind = OUTER_FROM_LOCAL;
    int index = parent->find_local(name);
    if (index >= 0) {
        parent->mark_captured(index);
    } else {
        kind = OUTER_FROM_OUTER;
        index = parent->find_outer(name);
        if (index < 0) return -1;
    }
    if (proto->outers.size() >= 255) throw CompileError("too many free variables in one function (limit 255)");
    proto->outers.push_back({SQValue(const_cast<SQString *>(name)), kind, index});
    return static_cast<int>(proto->outers.size()) - 1;
}

int FuncState::first_reg_above(size_t keep) const { return keep < locals_.size() ? locals_[keep].reg : freereg_; }

int FuncState::end_locals(size_t keep) {
    int first_captured = -1;
    while (locals_.size() > keep) {
        const LocalVar &lv = locals_.back();
        if (lv.info >= 0) proto->localvars[lv.info].end_op = pc();
        if (lv.captured) first_captured = lv.reg;
        freereg_ = lv.reg;
        locals_.pop_back();
    }
    return first_captured;
}

int FuncState::literal(const SQValue &v) {
    uint64_t raw = 0;
    switch (v._type) {
        case OT_INTEGER: raw = static_cast<uint64_t>(static_cast<int64_t>(sq_int(v))); break;
        case OT_FLOAT: {
            uint32_t bits;
            SQFloat f = sq_float(v);
            std::memcpy(&bits, &f, sizeof bits);
            raw = bits;
            break;
        }
        case OT_BOOL: raw = static_cast<uint64_t>(sq_int(v)); break;
        default: raw = reinterpret_cast<uintptr_t>(v._unVal.pRefCounted); break;
    }
    auto key = std::make_pair(static_cast<int>(v._type), raw);
    auto found = literal_index_.find(key);
    if (found != literal_index_.end()) return found->second;
    int index = static_cast<int>(proto->literals.size());
    proto->literals.push_back(v);
    literal_index_.emplace(key, index);
    return index;
}

int FuncState::string_literal(const std::string &s) {
    return literal(SQValue(SQString::create(ss, s.data(), static_cast<SQInteger>(s.size()))));
}

void FuncState::finish() {
    end_locals(0);
    std::reverse(proto->localvars.begin(), proto->localvars.end());
    for (int i = 0; i < pc(); ++i) {
        if (proto->lineinfos.empty() || proto->lineinfos.back().line != lines_[i])
            proto->lineinfos.push_back({lines_[i], i});
    }
    proto->stacksize = std::max<SQInteger>(proto->stacksize, proto->nparams + (proto->varparams ? 1 : 0));
    // A fault in the code generator becomes a compile error, never bytecode the VM trusts.
    std::string why;
    if (!sq_verify_proto(proto, parent ? parent->proto : nullptr, why))
        throw CompileError("internal compiler error: " + why);
}
