#include "script_harness.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

#include "sqstdblob.h"
#include "sqstdio.h"
#include "sqstdmath.h"
#include "sqstdstring.h"
#include "sqstdsystem.h"

namespace acorn_test {

namespace {

void append_formatted(std::string &out, const SQChar *format, va_list args) {
    va_list again;
    va_copy(again, args);
    char small[512];
    const int size = std::vsnprintf(small, sizeof small, format, args);
    if (size > 0 && static_cast<size_t>(size) < sizeof small) {
        out.append(small, static_cast<size_t>(size));
    } else if (size > 0) {
        std::vector<char> large(static_cast<size_t>(size) + 1);
        std::vsnprintf(large.data(), large.size(), format, again);
        out.append(large.data(), static_cast<size_t>(size));
    }
    va_end(again);
}

// Threads made by scripts share the main VM's shared foreign pointer.
ScriptHarness *harness_of(HSQUIRRELVM v) { return static_cast<ScriptHarness *>(sq_getsharedforeignptr(v)); }

}  // namespace

ScriptHarness::ScriptHarness(Libraries libraries) : libraries_(libraries) { open(); }

ScriptHarness::~ScriptHarness() { close(); }

void ScriptHarness::close() {
    if (v_ != nullptr) sq_close(v_);
    v_ = nullptr;
}

void ScriptHarness::reopen() {
    close();
    open();
}

void ScriptHarness::open() {
    v_ = sq_open(1024);
    sq_setsharedforeignptr(v_, this);
    sq_setprintfunc(v_, capture_print, capture_error);
    if (libraries_ == Libraries::Standard) {
        sq_pushroottable(v_);
        sqstd_register_bloblib(v_);
        sqstd_register_mathlib(v_);
        sqstd_register_stringlib(v_);
        sqstd_register_systemlib(v_);
        sqstd_register_iolib(v_);
        sq_poptop(v_);
    }
}

void ScriptHarness::capture_print(HSQUIRRELVM v, const SQChar *format, ...) {
    va_list args;
    va_start(args, format);
    append_formatted(harness_of(v)->printed_, format, args);
    va_end(args);
}

void ScriptHarness::capture_error(HSQUIRRELVM v, const SQChar *format, ...) {
    va_list args;
    va_start(args, format);
    append_formatted(harness_of(v)->errors_, format, args);
    va_end(args);
}

std::string ScriptHarness::last_error() {
    sq_getlasterror(v_);
    const SQChar *message = nullptr;
    std::string text = SQ_SUCCEEDED(sq_getstring(v_, -1, &message)) ? message : "<not a string>";
    sq_poptop(v_);
    return text;
}

std::string ScriptHarness::run(const std::string &source, const char *name, bool raiseerror) {
    printed_.clear();
    const SQInteger top = sq_gettop(v_);
    std::string outcome;
    if (SQ_FAILED(sq_compilebuffer(v_, source.c_str(), static_cast<SQInteger>(source.size()), name, SQTrue))) {
        outcome = "compile error: " + last_error();
    } else {
        sq_pushroottable(v_);
        if (SQ_FAILED(sq_call(v_, 1, SQFalse, raiseerror ? SQTrue : SQFalse))) outcome = "error: " + last_error();
    }
    sq_settop(v_, top);
    return printed_ + outcome;
}

std::string ScriptHarness::run_or_error(const std::string &source, const char *name) {
    const std::string outcome = run(source, name);
    return outcome.size() > printed_.size() ? outcome.substr(printed_.size()) : outcome;
}

bool ScriptHarness::succeeds(const std::string &source, const char *name, bool raiseerror) {
    const SQInteger top = sq_gettop(v_);
    bool ok = SQ_SUCCEEDED(sq_compilebuffer(v_, source.c_str(), static_cast<SQInteger>(source.size()), name, SQTrue));
    if (ok) {
        sq_pushroottable(v_);
        ok = SQ_SUCCEEDED(sq_call(v_, 1, SQFalse, raiseerror ? SQTrue : SQFalse));
    }
    sq_settop(v_, top);
    return ok;
}

}  // namespace acorn_test
