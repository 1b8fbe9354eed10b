#include "aparser.h"

void Compiler::statement() {
    DepthGuard guard(*this);
    switch (tok_.kind) {
        case ';': next(); break;
        case '{': block(); break;
        case TK_IF: if_statement(); break;
        case TK_WHILE: while_statement(); break;
        case TK_DO: do_statement(); break;
        case TK_FOR: for_statement(); break;
        case TK_FOREACH: foreach_statement(); break;
        case TK_SWITCH: switch_statement(); break;
        case TK_TRY: try_statement(); break;
        case TK_LOCAL: local_statement(); break;
        case TK_RETURN: return_statement(); break;
        case TK_YIELD: yield_statement(); break;
        case TK_BREAK: break_statement(); break;
        case TK_CONTINUE: continue_statement(); break;
        case TK_THROW: throw_statement(); break;
        case TK_FUNCTION: next(); named_declaration(false); break;
        case TK_CLASS: next(); named_declaration(true); break;
        case TK_ENUM: enum_statement(); break;
        case TK_CONST: const_statement(); break;
        default: expression_statement(); break;
    }
    fs_->reset_temps();
}

void Compiler::block() {
    expect('{');
    size_t keep = begin_scope();
    statements_until_brace();
    end_scope(keep);
}

void Compiler::statements_until_brace() {
    while (tok_.kind != '}') {
        if (tok_.kind == TK_EOF) error("expected '}'");
        statement();
    }
    next();
}

void Compiler::end_scope(size_t keep) {
    int captured = fs_->end_locals(keep);
    if (captured >= 0) fs_->emit(OP_CLOSE, captured);
}

void Compiler::scoped_statement() {
    size_t keep = begin_scope();
    statement();
    end_scope(keep);
}

void Compiler::expression_statement() {
    Exp e;
    comma_expression(e);
    discard(e);
    end_of_statement();
}

int Compiler::condition_jump() {
    expect('(');
    Exp cond;
    comma_expression(cond);
    expect(')');
    int r = to_any_reg(cond);
    fs_->reset_temps();
    return fs_->emit(OP_JZ, r);
}

// `else if` chains are compiled in a loop: long chains are common in
// dispatch code and must not count as nesting.
void Compiler::if_statement() {
    next();
    std::vector<int> to_end;
    for (;;) {
        int to_else = condition_jump();
        scoped_statement();
        if (tok_.kind != TK_ELSE) {
            fs_->patch_to_here(to_else);
            break;
        }
        to_end.push_back(fs_->emit(OP_JMP));
        fs_->patch_to_here(to_else);
        next();
        if (!accept(TK_IF)) {
            scoped_statement();
            break;
        }
    }
    fs_->patch_to_here(to_end);
}

void Compiler::loop_body(BreakTarget &target) {
    fs_->targets.push_back(target);
    scoped_statement();
    target = std::move(fs_->targets.back());
    fs_->targets.pop_back();
}

BreakTarget Compiler::new_target(bool is_loop) const { return BreakTarget{{}, {}, fs_->nlocals(), fs_->ntraps, is_loop}; }

// Loops are laid out with the test after the body (one jump per
// iteration): JMP test; body: ...; continue: increment; test: ...; JNZ body.
LoopTest Compiler::loop_test() {
    LoopTest test;
    int start = fs_->pc();
    Exp cond;
    comma_expression(cond);
    if (cond.kind == ExpKind::Const && !sq_isfalse(cond.val) && fs_->pc() == start) {
        test.always = true;
        return test;
    }
    test.reg = to_any_reg(cond);
    fs_->reset_temps();
    test.code = fs_->cut_code(start);
    hoist_constant_operand(test);
    return test;
}

namespace {

bool loads_constant(const SQInstruction &i) {
    return i.op == OP_LOADINT || i.op == OP_LOADFLOAT || i.op == OP_LOADK || i.op == OP_LOADBOOL ||
           (i.op == OP_LOADNULLS && i.d == 1);
}

bool compares(const SQInstruction &i) { return i.op >= OP_EQ && i.op <= OP_CMP3; }

}  // namespace

// A test such as `i < 100` loads its constant once, before the loop, into a
// hidden local; each iteration then runs only the comparison. Must run
// before anything after the test (increment, body) is compiled.
void Compiler::hoist_constant_operand(LoopTest &test) {
    int temp = fs_->nactive();
    if (test.code.size() != 2 || test.reg != temp || temp + 2 >= FuncState::kMaxRegisters) return;
    const SQInstruction &load = test.code[0].first;
    SQInstruction cmp = test.code[1].first;
    if (!loads_constant(load) || load.a != temp || !compares(cmp) || cmp.a != temp) return;
    bool constant_right = cmp.c == temp && cmp.b < temp;
    bool constant_left = cmp.b == temp && cmp.c < temp;
    if (!constant_right && !constant_left) return;
    fs_->paste_code({test.code[0]});
    fs_->declare_hidden(fs_->alloc_reg());
    cmp.a = static_cast<uint8_t>(fs_->alloc_reg());
    fs_->reset_temps();
    test.code = {{cmp, test.code[1].second}};
    test.reg = cmp.a;
}

void Compiler::loop_with_test_after(const LoopTest &test, const CodeSpan &increment) {
    int to_test = test.always ? -1 : fs_->emit(OP_JMP);
    int body = fs_->label();
    BreakTarget target = new_target(true);
    loop_body(target);
    fs_->patch_to_here(target.continues);
    fs_->paste_code(increment);
    if (test.always) {
        fs_->emit_jump_back(OP_JMP, 0, body);
    } else {
        fs_->patch_to_here(to_test);
        fs_->paste_code(test.code);
        fs_->emit_jump_back(OP_JNZ, test.reg, body);
    }
    fs_->patch_to_here(target.breaks);
}

void Compiler::while_statement() {
    next();
    expect('(');
    size_t keep = begin_scope();
    LoopTest test = loop_test();
    expect(')');
    loop_with_test_after(test, {});
    end_scope(keep);
}

void Compiler::do_statement() {
    next();
    int start = fs_->label();
    BreakTarget target = new_target(true);
    loop_body(target);
    expect(TK_WHILE);
    fs_->patch_to_here(target.continues);
    expect('(');
    Exp cond;
    comma_expression(cond);
    expect(')');
    int r = to_any_reg(cond);
    fs_->reset_temps();
    fs_->emit_jump_back(OP_JNZ, r, start);
    fs_->patch_to_here(target.breaks);
    accept(';');
}

// The test and the increment are compiled where they appear, then moved
// after the body.
void Compiler::for_statement() {
    next();
    expect('(');
    size_t keep = begin_scope();
    if (accept(TK_LOCAL)) {
        local_declarations();
    } else if (tok_.kind != ';') {
        Exp init;
        comma_expression(init);
        discard(init);
        fs_->reset_temps();
    }
    expect(';');
    LoopTest test;
    test.always = true;
    if (tok_.kind != ';') test = loop_test();
    expect(';');
    int increment_start = fs_->pc();
    if (tok_.kind != ')') {
        Exp step;
        comma_expression(step);
        discard(step);
        fs_->reset_temps();
    }
    expect(')');
    CodeSpan increment = fs_->cut_code(increment_start);
    loop_with_test_after(test, increment);
    end_scope(keep);
}

// Registers: container, key, value, iterator state. The key and value
// variables live for the whole loop: closures made in different iterations
// share them.
void Compiler::foreach_statement() {
    next();
    expect('(');
    std::string first = expect_identifier();
    std::string key_name, value_name = first;
    if (accept(',')) {
        key_name = first;
        value_name = expect_identifier();
    }
    expect(TK_IN);
    size_t keep = begin_scope();
    Exp container;
    comma_expression(container);
    expect(')');
    int cont = to_next_reg(container);
    fs_->declare_hidden(cont);
    int key = fs_->alloc_reg();
    int value = fs_->alloc_reg();
    int state = fs_->alloc_reg();
    int limit = fs_->alloc_reg();  // where a table or class iteration stops, see OP_FOREACH
    fs_->emit(OP_LOADNULLS, key, 0, 0, 4);
    if (key_name.empty()) fs_->declare_hidden(key);
    else fs_->declare_local(make_string(key_name), key);
    fs_->declare_local(make_string(value_name), value);
    fs_->declare_hidden(state);
    fs_->declare_hidden(limit);
    int start = fs_->label();
    int step = fs_->emit(OP_FOREACH, cont, key);
    BreakTarget target = new_target(true);
    loop_body(target);
    for (int j : target.continues) fs_->patch_jump(j, start);
    fs_->emit_jump_back(OP_JMP, 0, start);
    fs_->patch_to_here(step);
    fs_->patch_to_here(target.breaks);
    end_scope(keep);
}

void Compiler::switch_statement() {
    next();
    expect('(');
    Exp subject;
    comma_expression(subject);
    expect(')');
    size_t keep = begin_scope();
    int value = to_next_reg(subject);
    fs_->declare_hidden(value);
    expect('{');
    BreakTarget target = new_target(false);
    fs_->targets.push_back(target);
    int to_next_case = -1;
    int fallthrough = -1;
    while (accept(TK_CASE)) {
        if (to_next_case >= 0) fs_->patch_to_here(to_next_case);
        Exp label;
        expression(label);
        int r = to_any_reg(label);
        fs_->reset_temps();
        int test = fs_->alloc_reg();
        fs_->emit(OP_EQ, test, value, r);
        to_next_case = fs_->emit(OP_JZ, test);
        fs_->reset_temps();
        expect(':');
        if (fallthrough >= 0) fs_->patch_to_here(fallthrough);
        case_body();
        fallthrough = fs_->emit(OP_JMP);
    }
    if (accept(TK_DEFAULT)) {
        expect(':');
        if (to_next_case >= 0) fs_->patch_to_here(to_next_case);
        if (fallthrough >= 0) fs_->patch_to_here(fallthrough);
        to_next_case = fallthrough = -1;
        case_body();
    }
    expect('}');
    if (to_next_case >= 0) fs_->patch_to_here(to_next_case);
    if (fallthrough >= 0) fs_->patch_to_here(fallthrough);
    target = std::move(fs_->targets.back());
    fs_->targets.pop_back();
    fs_->patch_to_here(target.breaks);
    end_scope(keep);
}

void Compiler::case_body() {
    size_t keep = begin_scope();
    while (tok_.kind != TK_CASE && tok_.kind != TK_DEFAULT && tok_.kind != '}') {
        if (tok_.kind == TK_EOF) error("expected '}'");
        statement();
    }
    end_scope(keep);
}

void Compiler::try_statement() {
    next();
    int error_reg = fs_->freereg();
    fs_->set_freereg(error_reg + 1);
    fs_->reset_temps();
    int trap = fs_->emit(OP_PUSHTRAP, error_reg);
    ++fs_->ntraps;
    scoped_statement();
    --fs_->ntraps;
    fs_->emit(OP_POPTRAP, 0, 0, 0, 1);
    int to_end = fs_->emit(OP_JMP);
    expect(TK_CATCH);
    expect('(');
    std::string name = expect_identifier();
    expect(')');
    fs_->patch_to_here(trap);
    size_t keep = begin_scope();
    fs_->declare_local(make_string(name), fs_->alloc_reg());
    scoped_statement();
    end_scope(keep);
    fs_->patch_to_here(to_end);
}

void Compiler::local_declarations() {
    do {
        SQValue name = make_string(expect_identifier());
        int reg;
        if (accept('=')) {
            Exp value;
            expression(value);
            reg = to_next_reg(value);
        } else {
            reg = fs_->alloc_reg();
            fs_->emit(OP_LOADNULLS, reg, 0, 0, 1);
        }
        fs_->declare_local(name, reg);
    } while (accept(','));
}

void Compiler::local_statement() {
    next();
    if (accept(TK_FUNCTION)) {
        SQValue name = make_string(expect_identifier());
        int reg = fs_->alloc_reg();
        function_literal(reg, name, false);
        fs_->declare_local(name, reg);  // bound after the closure exists: not visible to its own body
        return;
    }
    local_declarations();
    end_of_statement();
}

bool Compiler::at_end_of_statement() const {
    return tok_.kind == ';' || tok_.kind == '}' || tok_.kind == TK_EOF || tok_.newline_before;
}

void Compiler::return_statement() {
    next();
    if (at_end_of_statement()) {
        fs_->emit(OP_RETURN, 0, 0);
    } else {
        Exp value;
        comma_expression(value);
        int r = to_any_reg(value);
        mark_tail_call(r);
        fs_->emit(OP_RETURN, r, 1);
    }
    end_of_statement();
}

// `return f(...)` reuses the frame, unless a handler in this function must
// still see the callee's errors.
void Compiler::mark_tail_call(int result) {
    if (fs_->ntraps > 0 || !fs_->last_is_unlabelled()) return;
    SQInstruction &last = fs_->at(fs_->pc() - 1);
    if (last.op == OP_CALL && last.a == result) last.op = OP_TAILCALL;
}

void Compiler::yield_statement() {
    next();
    fs_->proto->generator = true;
    if (at_end_of_statement()) {
        fs_->emit(OP_YIELD, 0, 0);
    } else {
        Exp value;
        comma_expression(value);
        fs_->emit(OP_YIELD, to_any_reg(value), 1);
    }
    end_of_statement();
}

// Leaving a loop or switch early: drop its exception handlers and close the
// free variables of the scopes being left.
void Compiler::leave_scopes_to(const BreakTarget &t) {
    if (fs_->ntraps > t.ntraps) fs_->emit(OP_POPTRAP, 0, 0, 0, fs_->ntraps - t.ntraps);
    if (fs_->any_locals_above(t.nlocals)) fs_->emit(OP_CLOSE, fs_->first_reg_above(t.nlocals));
}

void Compiler::break_statement() {
    next();
    if (fs_->targets.empty()) error("'break' has to be in a loop block");
    BreakTarget &t = fs_->targets.back();
    leave_scopes_to(t);
    t.breaks.push_back(fs_->emit(OP_JMP));
    end_of_statement();
}

void Compiler::continue_statement() {
    next();
    for (auto it = fs_->targets.rbegin(); it != fs_->targets.rend(); ++it) {
        if (!it->is_loop) continue;
        leave_scopes_to(*it);
        it->continues.push_back(fs_->emit(OP_JMP));
        end_of_statement();
        return;
    }
    error("'continue' has to be in a loop block");
}

void Compiler::throw_statement() {
    next();
    Exp value;
    comma_expression(value);
    fs_->emit(OP_THROW, to_any_reg(value));
    end_of_statement();
}

void Compiler::named_declaration(bool is_class) {
    Exp obj;
    std::string name = declaration_name(obj);
    int obj_reg = to_any_reg(obj);
    SQValue key_name = make_string(name);
    Exp key{ExpKind::Const};
    key.val = key_name;
    int key_reg = to_next_reg(key);
    int value_reg;
    if (is_class) {
        Exp cls;
        class_literal(cls);
        value_reg = cls.reg;
    } else {
        value_reg = fs_->alloc_reg();
        function_literal(value_reg, key_name, false);
    }
    fs_->emit(OP_NEWSLOT, NO_REG, obj_reg, key_reg, value_reg);
}

SQTable *Compiler::constant_table() {
    if (ss_->consttable._type != OT_TABLE) error("the constant table is missing");
    return sq_table(ss_->consttable);
}

void Compiler::enum_statement() {
    next();
    SQValue name = make_string(expect_identifier());
    expect('{');
    SQValue table(SQTable::create(ss_));
    SQInteger counter = 0;
    while (!accept('}')) {
        if (tok_.kind == TK_EOF) error("expected '}'");
        SQValue member = make_string(expect_identifier());
        // Members without a value count up from 0, whatever the explicit ones hold.
        SQValue value;
        if (accept('=')) value = constant_value();
        else value = SQValue(counter++);
        sq_table(table)->newslot(member, value);
        accept(',');
    }
    constant_table()->newslot(name, table);
}

void Compiler::const_statement() {
    next();
    SQValue name = make_string(expect_identifier());
    expect('=');
    SQValue value = constant_value();
    constant_table()->newslot(name, value);
    end_of_statement();
}
