#include "acompiler.h"

#include <pthread.h>

#include <string>

#include "aparser.h"
#include "avm.h"

DepthGuard::DepthGuard(Compiler &comp) : c(comp) {
    if (++c.depth_ > kMaxDepth) c.error("script nested too deeply");
}

Compiler::Compiler(SQVM *v, const char *src, size_t len, const char *sourcename)
    : v_(v),
      ss_(v->ss),
      lex_(src, len),
      sourcename_(SQString::create(v->ss, sourcename)),
      sourcename_text_(sourcename) {}

void Compiler::next() {
    if (fs_) fs_->line = tok_.line;
    prev_kind_ = tok_.kind;
    lex_.next(tok_);
}

void Compiler::error(const std::string &msg) const { throw CompileError(msg); }

void Compiler::unexpected() const {
    if (tok_.kind == TK_EOF) error("unexpected end of script");
    error("unexpected token '" + token_text(tok_.kind) + "'");
}

void Compiler::expect(int kind) {
    if (tok_.kind != kind) {
        if (kind == TK_IDENTIFIER) error("expected 'IDENTIFIER'");
        error("expected '" + token_text(kind) + "'");
    }
    next();
}

bool Compiler::accept(int kind) {
    if (tok_.kind != kind) return false;
    next();
    return true;
}

std::string Compiler::expect_identifier() {
    std::string name = tok_.text;
    expect(TK_IDENTIFIER);
    return name;
}

// A statement that ended with its own ';' or '}' (a function whose body is
// one statement) needs no other end.
void Compiler::end_of_statement() {
    if (accept(';') || prev_kind_ == ';' || prev_kind_ == '}') return;
    if (tok_.kind == '}' || tok_.kind == TK_EOF || tok_.newline_before) return;
    error("end of statement expected (; or lf)");
}

SQValue Compiler::compile() {
    FuncState main(ss_, nullptr, sourcename_, SQValue(SQString::create(ss_, "main")));
    fs_ = &main;
    SQValue this_name(SQString::create(ss_, "this"));
    main.declare_local(this_name, main.alloc_reg());
    main.proto->parameters.push_back(this_name);
    main.proto->varparams = true;
    main.declare_local(SQValue(SQString::create(ss_, "vargv")), main.alloc_reg());
    next();
    while (tok_.kind != TK_EOF) statement();
    main.emit(OP_RETURN, 0, 0);
    main.finish();
    return main.protoval;
}

namespace {

// The parser recurses once per nesting level of the source, and expressions
// may nest DepthGuard::kMaxDepth deep: it runs on a thread of its own with
// a stack that takes that (address space only until used), while the caller
// waits. Where no thread can be made it runs in place.
constexpr size_t kCompilerStackBytes = size_t(1) << 29;

template <class Work>
void run_on_compiler_stack(Work &&work) {
    pthread_attr_t attr;
    pthread_t thread;
    bool started = pthread_attr_init(&attr) == 0;
    started = started && pthread_attr_setstacksize(&attr, kCompilerStackBytes) == 0 &&
              pthread_create(&thread, &attr, [](void *job) -> void * {
                  (*static_cast<Work *>(job))();
                  return nullptr;
              }, &work) == 0;
    pthread_attr_destroy(&attr);
    if (started) {
        pthread_join(thread, nullptr);
    } else {
        work();
    }
}

}  // namespace

bool sq_compile_source(SQVM *v, const char *src, SQInteger len, const char *sourcename, bool debuginfo,
                       SQValue &proto_out) {
    (void)debuginfo;
    const char *name = sourcename ? sourcename : "unnamed";
    Compiler compiler(v, src ? src : "", src && len > 0 ? static_cast<size_t>(len) : 0, name);
    std::string message;
    SQInteger line = 0, column = 0;
    bool compiled = false;
    run_on_compiler_stack([&] {
        try {
            proto_out = compiler.compile();
            compiled = true;
        } catch (const LexError &e) {
            message = e.what();
            line = e.line;
            column = e.column;
        } catch (const CompileError &e) {
            message = e.what();
            line = compiler.error_line();
            column = compiler.error_column();
        }
    });
    if (compiled) return true;
    v->lasterror = SQValue(SQString::create(v->ss, message.c_str(), static_cast<SQInteger>(message.size())));
    if (v->ss->compilererrorhandler) v->ss->compilererrorhandler(v, message.c_str(), name, line, column);
    return false;
}
