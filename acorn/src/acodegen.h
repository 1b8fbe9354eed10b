// Code generation state of one function being compiled: its registers,
// named locals, free variables, literals and the instructions emitted so far.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "afuncproto.h"

// Folds `a op b` (op: OP_ADD .. OP_USHR) when both are numbers and the
// result does not depend on run-time checks; false leaves it to the VM.
bool sq_fold_arith(uint8_t op, const SQValue &a, const SQValue &b, SQValue &out);

struct CompileError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Instructions with their source lines, moved as a unit.
using CodeSpan = std::vector<std::pair<SQInstruction, SQInteger>>;

struct LocalVar {
    SQValue name;
    int reg;
    int info;  // index in proto->localvars, -1 for hidden registers
    bool captured = false;
};

// A loop or switch being compiled: where `break` and `continue` go.
struct BreakTarget {
    std::vector<int> breaks;
    std::vector<int> continues;
    size_t nlocals;   // locals alive when the construct began
    int ntraps;       // exception handlers installed when it began
    bool is_loop;     // false for switch: `continue` looks further out
};

class FuncState {
   public:
    static constexpr int kMaxRegisters = 255;

    FuncState(SQSharedState *ss, FuncState *parent, const SQValue &sourcename, const SQValue &name);

    SQSharedState *ss;
    FuncState *parent;
    SQValue protoval;  // owns the prototype
    SQFunctionProto *proto;
    std::vector<BreakTarget> targets;
    int ntraps = 0;
    SQInteger line = 1;  // line given to emitted instructions

    // --- instructions ---
    int emit(uint8_t op, int a = 0, int b = 0, int c = 0, int32_t d = 0);
    int pc() const { return static_cast<int>(proto->code.size()); }
    SQInstruction &at(int pc) { return proto->code[pc]; }
    // Marks the current position as a jump target (blocks peepholes across it).
    int label();
    void patch_jump(int jump_pc, int target);
    void patch_to_here(const std::vector<int> &jumps);
    void patch_to_here(int jump_pc) { patch_jump(jump_pc, label()); }
    void emit_jump_back(uint8_t op, int a, int target);
    bool last_is_unlabelled() const { return pc() > 0 && last_label_ != pc(); }
    // Removes instructions [from, pc()) and returns them with their lines.
    CodeSpan cut_code(int from);
    void paste_code(const CodeSpan &code);
    void remove_instruction(int at);

    // --- registers ---
    int freereg() const { return freereg_; }
    int alloc_reg();
    void set_freereg(int r);
    void reset_temps() { freereg_ = nactive(); }
    int nactive() const { return static_cast<int>(locals_.size()); }
    bool is_temp(int r) const { return r >= nactive(); }

    // --- locals and free variables ---
    // Turns register `reg` (the newest temporary) into a named local.
    void declare_local(const SQValue &name, int reg);
    void declare_hidden(int reg);
    int find_local(const SQString *name) const;  // register or -1
    int find_outer(const SQString *name);        // outer index or -1
    size_t nlocals() const { return locals_.size(); }
    // Closes the locals declared after the first `keep`; returns the first
    // register of a captured one (or -1 if none was captured).
    int end_locals(size_t keep);
    int first_reg_above(size_t keep) const;
    bool any_locals_above(size_t keep) const { return locals_.size() > keep; }

    // --- literals ---
    int literal(const SQValue &v);
    int string_literal(const std::string &s);

    // Completes the prototype (line table, local ranges, stack size).
    void finish();

   private:
    void mark_captured(int reg);

    std::vector<LocalVar> locals_;
    std::vector<SQInteger> lines_;  // one per instruction
    std::map<std::pair<int, uint64_t>, int> literal_index_;
    int freereg_ = 0;
    int last_label_ = -1;
};
