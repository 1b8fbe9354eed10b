// Single-pass recursive-descent compiler: parses Squirrel source and emits
// register bytecode as it goes. Expressions are described by an Exp until
// the context decides where their value must live, so that locals, slots and
// constants are read in place and folded where possible.
#pragma once

#include <string>
#include <vector>

#include "acodegen.h"
#include "alexer.h"

enum class ExpKind {
    Void,   // nothing (statement context)
    Const,  // compile-time value in `val`
    Local,  // named local in register `reg`
    Temp,   // value in temporary register `reg`
    Outer,  // free variable `reg` (outer index)
    Slot,   // R[reg][R[key]]
    SlotK,  // R[reg][K[key]]
};

struct Exp {
    Exp() = default;
    explicit Exp(ExpKind k, int r = 0, int slot_key = 0) : kind(k), reg(r), key(slot_key) {}

    ExpKind kind = ExpKind::Void;
    int reg = 0;
    int key = 0;
    SQValue val;
    bool base_object = false;    // the object is `base`: method calls pass this frame's `this`
    int postfix_copy_pc = -1;    // `local++`: the MOVE that keeps the old value
};

// A loop's test, compiled and set aside to be placed after the body.
struct LoopTest {
    CodeSpan code;
    int reg = 0;
    bool always = false;  // no test: the loop only ends by break/return
};

class Compiler {
   public:
    Compiler(SQVM *v, const char *src, size_t len, const char *sourcename);
    // Compiles the whole source as a script's main function.
    SQValue compile();
    SQInteger error_line() const { return tok_.line; }
    SQInteger error_column() const { return tok_.column; }

   private:
    // --- tokens ---
    void next();
    void expect(int kind);
    bool accept(int kind);
    std::string expect_identifier();
    [[noreturn]] void error(const std::string &msg) const;
    [[noreturn]] void unexpected() const;
    void end_of_statement();

    // --- statements (aparser_stmt.cpp) ---
    void statement();
    void block();
    void statements_until_brace();
    void expression_statement();
    void if_statement();
    void while_statement();
    LoopTest loop_test();
    void hoist_constant_operand(LoopTest &test);
    void loop_with_test_after(const LoopTest &test, const CodeSpan &increment);
    void do_statement();
    void for_statement();
    void foreach_statement();
    void switch_statement();
    void try_statement();
    void local_statement();
    void return_statement();
    void mark_tail_call(int result);
    void yield_statement();
    void break_statement();
    void continue_statement();
    void throw_statement();
    // `function a.b()` / `class a.B` create a slot: this.name or object.name.
    void named_declaration(bool is_class);
    void enum_statement();
    void const_statement();
    size_t begin_scope() const { return fs_->nlocals(); }
    void end_scope(size_t keep);
    void scoped_statement();
    void case_body();
    void local_declarations();
    bool at_end_of_statement() const;
    BreakTarget new_target(bool is_loop) const;
    void leave_scopes_to(const BreakTarget &t);
    void loop_body(BreakTarget &target);
    SQTable *constant_table();
    // Evaluates a statement's condition and emits a jump taken when it is false.
    int condition_jump();

    // --- expressions (aparser_expr.cpp) ---
    void comma_expression(Exp &e);
    void expression(Exp &e);
    void binary(Exp &e, int min_prec);
    void emit_binary(Exp &lhs, Exp &rhs, uint8_t opcode, int base);
    void compound_update(int target, Exp &rhs, uint8_t arith);
    void logical(Exp &e, int op, int prec);
    void unary(Exp &e);
    void prefixed(Exp &e);
    void primary(Exp &e);
    void identifier(Exp &e, const std::string &name);
    void member_access(Exp &e, const std::string &name);
    void index_access(Exp &e);
    void call(Exp &e);
    void call_initializer(Exp &e);
    void assignment(Exp &e, int op);
    void ternary(Exp &e);
    void prefix_increment(Exp &e, int delta);
    void postfix_increment(Exp &e, int delta);
    void delete_expression(Exp &e);
    void unary_operator(Exp &e, uint8_t op);

    // --- literals and declarations (aparser_decl.cpp) ---
    void table_literal(Exp &e);
    void array_literal(Exp &e);
    int table_entries(int table, int closing);  // returns the entry count
    // Compiles a function literal whose closure goes to register `target`.
    void function_literal(int target, const SQValue &name, bool lambda);
    void parameters(FuncState &child);
    void function_body(FuncState &child, bool lambda);
    void class_literal(Exp &e);
    void class_members(int cls);
    int attributes();  // `</ ... />` to a register, or NO_REG
    SQValue constant_value();
    // `a.b.c` of a declaration: object in `obj` (`this` for a plain name),
    // last name returned.
    std::string declaration_name(Exp &obj);

    SQValue make_string(const std::string &s) {
        return SQValue(SQString::create(ss_, s.data(), static_cast<SQInteger>(s.size())));
    }

    // --- register placement (aparser_expr.cpp) ---
    int to_any_reg(Exp &e);
    int to_next_reg(Exp &e);
    void to_reg(Exp &e, int target);
    void load_const(const SQValue &v, int target);
    void slot_key_to_reg(Exp &e);
    int exp_base(const Exp &e) const;  // first temporary register `e` holds
    void discard(Exp &e);
    bool retarget_last(int from, int to);
    // Register 0 is `this`, which no script can assign.
    bool is_assignable(const Exp &e) const {
        return e.kind != ExpKind::Temp && (e.kind == ExpKind::Outer || e.kind == ExpKind::Slot ||
                                           e.kind == ExpKind::SlotK || (e.kind == ExpKind::Local && e.reg != 0));
    }

    SQVM *v_;
    SQSharedState *ss_;
    Lexer lex_;
    Token tok_;
    int prev_kind_ = 0;  // kind of the token consumed last
    SQValue sourcename_;
    std::string sourcename_text_;
    FuncState *fs_ = nullptr;
    int depth_ = 0;
    bool allow_call_initializer_ = true;

    friend struct DepthGuard;
};

// Bounds the parser's recursion so hostile nesting cannot exhaust the C++ stack.
struct DepthGuard {
    static constexpr int kMaxDepth = 20000;
    Compiler &c;
    explicit DepthGuard(Compiler &comp);
    ~DepthGuard() { --c.depth_; }
};
