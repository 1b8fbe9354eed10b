#include "aparser.h"

void Compiler::array_literal(Exp &e) {
    next();
    int array = fs_->alloc_reg();
    int create = fs_->emit(OP_NEWARRAY, array);
    int count = 0;
    while (!accept(']')) {
        if (tok_.kind == TK_EOF) error("expected ']'");
        Exp item;
        expression(item);
        fs_->emit(OP_APPEND, array, to_any_reg(item));
        fs_->set_freereg(array + 1);
        ++count;
        accept(',');
    }
    fs_->at(create).d = count;
    e = Exp{ExpKind::Temp, array};
}

void Compiler::table_literal(Exp &e) {
    next();
    int table = fs_->alloc_reg();
    int create = fs_->emit(OP_NEWTABLE, table);
    fs_->at(create).d = table_entries(table, '}');
    e = Exp{ExpKind::Temp, table};
}

// Entries of a table literal or an attribute block: `name = v`, `[k] = v`,
// `"k": v` and `function name() {}`, commas optional.
int Compiler::table_entries(int table, int closing) {
    int count = 0;
    for (; !accept(closing); ++count) {
        Exp key;
        key.kind = ExpKind::Const;
        int key_reg;
        int value_reg;
        if (tok_.kind == TK_FUNCTION) {
            next();
            SQValue name = make_string(expect_identifier());
            key.val = name;
            key_reg = to_next_reg(key);
            value_reg = fs_->alloc_reg();
            function_literal(value_reg, name, false);
        } else {
            if (accept('[')) {
                comma_expression(key);
                expect(']');
                key_reg = to_next_reg(key);
                expect('=');
            } else if (tok_.kind == TK_IDENTIFIER || tok_.kind == TK_STRING) {
                bool quoted = tok_.kind == TK_STRING;
                key.val = make_string(tok_.text);
                next();
                key_reg = to_next_reg(key);
                if (!(quoted && accept(':'))) expect('=');
            } else {
                if (tok_.kind == TK_EOF) error("expected '" + token_text(closing) + "'");
                unexpected();
            }
            Exp value;
            expression(value);
            value_reg = to_next_reg(value);
        }
        fs_->emit(OP_NEWSLOT, NO_REG, table, key_reg, value_reg);
        fs_->set_freereg(table + 1);
        accept(',');
    }
    return count;
}

void Compiler::parameters(FuncState &child) {
    expect('(');
    while (!accept(')')) {
        if (accept(TK_VARPARAMS)) {
            if (!child.proto->defaultparams.empty()) {
                error("function with default parameters cannot have variable number of parameters");
            }
            child.proto->varparams = true;
            child.declare_local(SQValue(SQString::create(ss_, "vargv")), child.alloc_reg());
            expect(')');
            return;
        }
        std::string name = expect_identifier();
        SQValue param(SQString::create(ss_, name.data(), static_cast<SQInteger>(name.size())));
        child.declare_local(param, child.alloc_reg());
        child.proto->parameters.push_back(param);
        ++child.proto->nparams;
        if (accept('=')) {
            Exp value;
            expression(value);  // evaluated by the enclosing function when the closure is made
            child.proto->defaultparams.push_back(to_next_reg(value));
        } else if (!child.proto->defaultparams.empty()) {
            error("expected '='");
        }
        if (tok_.kind != ')' && !accept(',')) error("expected ')' or ','");
    }
}

void Compiler::function_body(FuncState &child, bool lambda) {
    FuncState *enclosing = fs_;
    fs_ = &child;
    if (lambda) {
        Exp value;
        expression(value);
        child.emit(OP_RETURN, to_any_reg(value), 1);
    } else if (accept('{')) {
        statements_until_brace();
    } else {
        statement();  // `function min(x, y) return x < y ? x : y;`
    }
    child.emit(OP_RETURN, 0, 0);
    child.finish();
    fs_ = enclosing;
}

void Compiler::function_literal(int target, const SQValue &name, bool lambda) {
    DepthGuard guard(*this);
    int env = NO_REG;
    if (accept('[')) {
        Exp bound;
        comma_expression(bound);
        expect(']');
        env = to_next_reg(bound);
    }
    FuncState child(ss_, fs_, sourcename_, name);
    SQValue this_name(SQString::create(ss_, "this"));
    child.declare_local(this_name, child.alloc_reg());
    child.proto->parameters.push_back(this_name);
    parameters(child);
    function_body(child, lambda);
    fs_->proto->functions.push_back(child.protoval);
    fs_->emit(OP_CLOSURE, target, env, 0, static_cast<int32_t>(fs_->proto->functions.size() - 1));
    fs_->set_freereg(target + 1);
}

int Compiler::attributes() {
    if (!accept(TK_ATTR_OPEN)) return NO_REG;
    int table = fs_->alloc_reg();
    fs_->emit(OP_NEWTABLE, table);
    table_entries(table, TK_ATTR_CLOSE);
    return table;
}

void Compiler::class_literal(Exp &e) {
    int cls = fs_->alloc_reg();
    int base = NO_REG;
    if (accept(TK_EXTENDS)) {
        bool saved = allow_call_initializer_;
        allow_call_initializer_ = false;
        Exp base_exp;
        prefixed(base_exp);
        allow_call_initializer_ = saved;
        base = to_any_reg(base_exp);
    }
    int attrs = attributes();
    fs_->emit(OP_NEWCLASS, cls, base, attrs);
    fs_->set_freereg(cls + 1);
    expect('{');
    class_members(cls);
    e = Exp{ExpKind::Temp, cls};
}

void Compiler::class_members(int cls) {
    while (!accept('}')) {
        if (tok_.kind == TK_EOF) error("expected '}'");
        int attrs = attributes();
        bool is_static = accept(TK_STATIC);
        Exp key;
        key.kind = ExpKind::Const;
        int key_reg;
        int value_reg;
        if (accept(TK_FUNCTION) || (tok_.kind == TK_IDENTIFIER && tok_.text == "constructor")) {
            SQValue name = make_string(expect_identifier());
            key.val = name;
            key_reg = to_next_reg(key);
            value_reg = fs_->alloc_reg();
            function_literal(value_reg, name, false);
        } else {
            if (accept('[')) {
                comma_expression(key);
                expect(']');
            } else {
                std::string name = expect_identifier();
                key.val = make_string(name);
            }
            key_reg = to_next_reg(key);
            expect('=');
            Exp value;
            expression(value);
            value_reg = to_next_reg(value);
        }
        int flags = (is_static ? 1 : 0) | (attrs != NO_REG ? 2 : 0);
        int packed = value_reg | (attrs != NO_REG ? attrs << 8 : 0);
        fs_->emit(OP_NEWMEMBER, flags, cls, key_reg, packed);
        fs_->set_freereg(cls + 1);
        if (!accept(';')) accept(',');
    }
}

SQValue Compiler::constant_value() {
    Exp e;
    expression(e);
    if (e.kind != ExpKind::Const) error("scalar expected : integer, float, bool or string");
    switch (e.val._type) {
        case OT_INTEGER:
        case OT_FLOAT:
        case OT_BOOL:
        case OT_STRING: return e.val;
        default: error("scalar expected : integer, float, bool or string");
    }
}

std::string Compiler::declaration_name(Exp &obj) {
    std::string name = expect_identifier();
    if (tok_.kind != '.' && tok_.kind != TK_DOUBLECOLON) {
        obj = Exp{ExpKind::Local, 0};
        return name;
    }
    identifier(obj, name);
    for (;;) {
        next();  // the '.' or '::' before the next part
        std::string part = expect_identifier();
        if (tok_.kind != '.' && tok_.kind != TK_DOUBLECOLON) return part;
        member_access(obj, part);
    }
}
